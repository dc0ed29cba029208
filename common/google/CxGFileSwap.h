#pragma once

#include <string>
#include <string_view>
#include <utility>

// Points a connector's folder and data file name at another file for one read and puts them back
// afterwards, so that the connector's own reader serves files outside the working folder.
class CxGFileSwap {
 public:
  CxGFileSwap(std::string& folder, std::string& name, std::string_view path)
      : folder_(folder), name_(name), oldFolder_(folder), oldName_(name) {
    if (path.empty()) return;
    if (path.front() == '/') folder_.clear();
    name_ = std::string(path);
  }
  ~CxGFileSwap() {
    folder_ = std::move(oldFolder_);
    name_ = std::move(oldName_);
  }
  CxGFileSwap(const CxGFileSwap&) = delete;
  CxGFileSwap& operator=(const CxGFileSwap&) = delete;

 private:
  std::string& folder_;
  std::string& name_;
  std::string oldFolder_;
  std::string oldName_;
};
