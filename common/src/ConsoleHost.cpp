#include "src/ConsoleHost.h"

#include <unistd.h>

#include <chrono>
#include <fstream>

namespace {

constexpr auto kPoll = std::chrono::milliseconds(100);

std::string FirstLine(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string line;
  if (!in || !std::getline(in, line)) return {};
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

}  // namespace

ConsoleHost::~ConsoleHost() {
  StopWatching();
}

void ConsoleHost::Print(const std::string& line) {
  std::lock_guard<std::mutex> hold(lock_);
  std::fprintf(out_, "%s\n", line.c_str());
  std::fflush(out_);
}

void ConsoleHost::Progress(const std::string& text) {
  if (!showProgress_ || text.empty()) return;
  {
    std::lock_guard<std::mutex> hold(lock_);
    if (text == lastProgress_) return;
    lastProgress_ = text;
  }
  Print(text);
}

void ConsoleHost::OpenWaitWindow(const std::string& text) {
  Progress(text);
}
void ConsoleHost::SetWaitText(const std::string& text) {
  Progress(text);
}

void ConsoleHost::WatchStatusFile(const std::string& path) {
  StopWatching();
  if (path.empty()) return;
  ::unlink(path.c_str());
  stop_ = false;
  watcher_ = std::thread([this, path] {
    while (!stop_) {
      Progress(FirstLine(path));
      std::this_thread::sleep_for(kPoll);
    }
  });
}

void ConsoleHost::StopWatching() {
  stop_ = true;
  if (watcher_.joinable()) watcher_.join();
}

void ConsoleHost::CloseWaitWindow() {
  StopWatching();
  std::lock_guard<std::mutex> hold(lock_);
  lastProgress_.clear();
}

void ConsoleHost::ShowMessage(const std::string& caption, const std::string& text, Icon) {
  messages_.push_back(text);
  Print(caption + ": " + text);
}

void ConsoleHost::ShowErrorReport(const std::string& what) {
  messages_.push_back(what);
  Print("Error report: " + what);
}

void ConsoleHost::Warn(const std::string& text) {
  warnings_.push_back(text);
  Print("Warning: " + text);
}
