#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "json/RecordJson.h"

// Reads a whole file of records, one JSON object per line; blank lines are skipped. On the first
// bad line it stops with an error naming the file and line, having handed out nothing.
template <class Record>
bool ReadJsonLines(const std::string& path, std::vector<Record>& records, std::string& error);

// Buffered standard output for many short lines.
class LineWriter {
 public:
  ~LineWriter() { Flush(); }
  void Line(const std::string& text) {
    buf_ += text;
    buf_ += '\n';
    if (buf_.size() > (1u << 20)) Flush();
  }
  void Flush() {
    std::fwrite(buf_.data(), 1, buf_.size(), stdout);
    std::fflush(stdout);
    buf_.clear();
  }

 private:
  std::string buf_;
};
