#pragma once

#include <atomic>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "src/EngineHost.h"

// The host of a program without a window: the wait window's texts, messages and warnings go to
// a stream (standard error), one line each. While a helper runs, its status file's first line is
// printed whenever it changes.
class ConsoleHost : public EngineHost {
 public:
  explicit ConsoleHost(std::FILE* out = stderr) : out_(out) {}
  ~ConsoleHost() override;
  ConsoleHost(const ConsoleHost&) = delete;
  ConsoleHost& operator=(const ConsoleHost&) = delete;

  // Without progress only messages, reports and warnings are printed.
  void SetShowProgress(bool show) { showProgress_ = show; }

  void OpenWaitWindow(const std::string& text) override;
  void SetWaitText(const std::string& text) override;
  void WatchStatusFile(const std::string& path) override;
  void CloseWaitWindow() override;
  void ShowMessage(const std::string& caption, const std::string& text, Icon icon) override;
  void ShowErrorReport(const std::string& what) override;
  void Warn(const std::string& text) override;

  // What the person was shown, for the caller's summary and exit code.
  const std::vector<std::string>& Messages() const { return messages_; }
  const std::vector<std::string>& Warnings() const { return warnings_; }

 private:
  void Progress(const std::string& text);
  void StopWatching();
  void Print(const std::string& line);

  std::FILE* out_;
  bool showProgress_ = true;
  std::mutex lock_;
  std::string lastProgress_;
  std::thread watcher_;
  std::atomic<bool> stop_{false};
  std::vector<std::string> messages_;
  std::vector<std::string> warnings_;
};
