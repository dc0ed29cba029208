#include "HelperSession.h"

#include <cstdlib>
#include <thread>

#include "misc/CxDebugUtil.h"
#include "misc/CxIniUtil.h"
#include "platform/AtomicFile.h"
#include "platform/IniDocument.h"

namespace {

std::string FolderOf(const std::string& path) {
  auto slash = path.rfind('/');
  return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

int SwitchInt(const platform::IniDocument& doc, const char* key) {
  auto v = doc.Get("Test", key);
  return v ? CxIniUtil::ParseLeadingInt(*v) : 0;
}

// Progress lines are for a person watching: a few a second is plenty.
constexpr std::chrono::milliseconds kStatusEvery{200};
constexpr std::chrono::milliseconds kStopCheckEvery{50};

}  // namespace

bool HelperSession::Begin(int argc, char** argv, const HelperKeys& keys, const char* switchFile) {
  if (argc != 2) return false;
  keys_ = keys;
  const std::string paramPath = argv[1];
  if (!params_.Read(paramPath)) return false;
  folder_ = params_.Text(keys_.folder);
  if (folder_.empty()) folder_ = FolderOf(paramPath);
  if (folder_.back() != '/') folder_ += '/';
  operation_ = params_.Int(keys_.operation, 0);

  CxDebugUtil& log = CxDebugUtil::Instance();
  std::string logFolder = params_.Text(keys_.logFolder);
  if (!logFolder.empty() && logFolder.back() != '/') logFolder += '/';
  // Without a log folder the log goes with the other exchanged files, never beside the program.
  log.SetFolder(logFolder.empty() ? folder_ : logFolder);
  if (!params_.Text(keys_.logFile).empty()) log.SetFileName(params_.Text(keys_.logFile));
  log.SetLevel(params_.Int(keys_.debugLevel, 0));
  log.SetEnabled(params_.Int(keys_.debugEnabled, 0) == 1);

  std::string dataFile = params_.Text(keys_.dataFile);
  auto dot = dataFile.rfind('.');
  dataIniPath_ =
      folder_ + (dot == std::string::npos ? dataFile : dataFile.substr(0, dot)) + dataIniSuffix_;
  ReadSwitches(switchFile);
  // A "Stop" left by an earlier discarded run must not end this one.
  SetDataIni("Stop", "0");
  SetDataIni("Running", "1");
  if (switches_.crash) std::abort();

  for (int i = 1; i <= switches_.statusLines; ++i) {
    lastStatus_ = {};
    Status("Test status " + std::to_string(i));
    std::this_thread::sleep_for(std::chrono::milliseconds(switches_.statusDelayMs));
  }
  const auto until =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(switches_.sleepMs);
  while (std::chrono::steady_clock::now() < until && !StopRequested())
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  for (int i = 1; i <= switches_.errors; ++i) Error("Test error " + std::to_string(i));
  return true;
}

void HelperSession::ReadSwitches(const char* switchFile) {
  platform::IniDocument doc;
  if (!doc.Load(folder_ + switchFile)) return;
  switches_.sleepMs = SwitchInt(doc, "SleepMs");
  switches_.crash = SwitchInt(doc, "Crash") != 0;
  switches_.errors = SwitchInt(doc, "Errors");
  switches_.statusLines = SwitchInt(doc, "StatusLines");
  switches_.statusDelayMs = SwitchInt(doc, "StatusDelayMs");
  switches_.ignoreStop = SwitchInt(doc, "IgnoreStop") != 0;
  switches_.recordDelayMs = SwitchInt(doc, "RecordDelayMs");
}

void HelperSession::SetDataIni(const char* key, const char* value) {
  platform::IniDocument doc;
  doc.Load(dataIniPath_);
  doc.Set("Status", key, value);
  if (!doc.Save(dataIniPath_)) QM_LOG_ERROR("Failed to write %s", dataIniPath_.c_str());
}

void HelperSession::End() {
  const std::string errorFile = params_.Text(keys_.errorFile);
  if ((!errors_.empty() || !warnings_.empty()) && !errorFile.empty()) {
    platform::IniDocument doc;
    if (!errors_.empty()) {
      doc.Set("Error", "Error.Count", std::to_string(errors_.size()));
      for (std::size_t i = 0; i < errors_.size(); ++i)
        doc.Set("Error", "Error." + std::to_string(i + 1), errors_[i]);
    }
    if (!warnings_.empty()) {
      QM_LOG_ERROR("%zu warnings: records or parts of them were left out.", warnings_.size());
      // A person reads these; past a few hundred the rest is a count.
      constexpr std::size_t kMaxWarnings = 200;
      const bool cut = warnings_.size() > kMaxWarnings;
      const std::size_t n = cut ? kMaxWarnings : warnings_.size();
      for (std::size_t i = 0; i < n; ++i) {
        std::string text = cut && i + 1 == n
                               ? std::to_string(warnings_.size() - i) + " more warnings."
                               : warnings_[i];
        doc.Set("Warning", "Warning." + std::to_string(i + 1), text);
      }
      doc.Set("Warning", "Warning.Count", std::to_string(n));
    }
    if (!doc.Save(folder_ + errorFile)) QM_LOG_ERROR("Failed to write the error file.");
  }
  SetDataIni("Running", "0");
}

void HelperSession::Warning(const std::string& text) {
  QM_LOG_ERROR("Left out %s", text.c_str());
  std::string line = text;
  for (char& c : line)
    if (c == '\r' || c == '\n') c = ' ';
  warnings_.push_back(std::move(line));
}

void HelperSession::Error(const std::string& text) {
  QM_LOG_ERROR("%s", text.c_str());
  // One line per key: an ini value cannot hold a line break.
  std::string line = text;
  for (char& c : line)
    if (c == '\r' || c == '\n') c = ' ';
  errors_.push_back(std::move(line));
}

void HelperSession::Status(const std::string& line) {
  const std::string statusFile = params_.Text(keys_.statusFile);
  if (statusFile.empty()) return;
  lastStatus_ = std::chrono::steady_clock::now();
  platform::WriteFileAtomically(folder_ + statusFile, line + "\r\n", 0600);
}

void HelperSession::Progress(const char* verb, const char* noun, std::size_t i, std::size_t n) {
  if (i == n || std::chrono::steady_clock::now() - lastStatus_ >= kStatusEvery)
    Status(std::string(verb) + " " + noun + " " + std::to_string(i) + " of " + std::to_string(n));
  if (switches_.recordDelayMs > 0)
    std::this_thread::sleep_for(std::chrono::milliseconds(switches_.recordDelayMs));
}

bool HelperSession::StopRequested() {
  if (stopped_) return true;
  if (switches_.ignoreStop) return false;
  auto now = std::chrono::steady_clock::now();
  if (now - lastStopCheck_ < kStopCheckEvery) return false;
  lastStopCheck_ = now;
  platform::IniDocument doc;
  doc.Load(dataIniPath_);
  stopped_ = CxIniUtil::ParseLeadingInt(doc.Get("Status", "Stop").value_or("0")) == 1;
  return stopped_;
}
