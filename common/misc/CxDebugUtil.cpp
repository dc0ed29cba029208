#include "misc/CxDebugUtil.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <vector>

#include "misc/CxFile.h"
#include "misc/Utf8.h"

CxDebugUtil& CxDebugUtil::Instance() {
  static CxDebugUtil instance;
  return instance;
}

void CxDebugUtil::SetFolder(const std::string& folder) {
  std::lock_guard<std::mutex> g(lock_);
  folder_ = std::string(Utf8Prefix(folder, 259));
}

void CxDebugUtil::SetLevel(int level) {
  std::lock_guard<std::mutex> g(lock_);
  level_ = level < 0 ? 0 : level > 3 ? 3 : level;
}

void CxDebugUtil::SetEnabled(bool enabled) {
  std::lock_guard<std::mutex> g(lock_);
  enabled_ = enabled;
}

void CxDebugUtil::SetFileName(const std::string& name) {
  std::lock_guard<std::mutex> g(lock_);
  fileName_ = std::string(Utf8Prefix(name, 259));
}

int CxDebugUtil::Level() const {
  std::lock_guard<std::mutex> g(lock_);
  return level_;
}

bool CxDebugUtil::Enabled() const {
  std::lock_guard<std::mutex> g(lock_);
  return enabled_;
}

std::string CxDebugUtil::FilePath() const {
  std::lock_guard<std::mutex> g(lock_);
  return folder_ + fileName_;
}

bool CxDebugUtil::Wants(int level) const {
  std::lock_guard<std::mutex> g(lock_);
  return level == kLogError || (enabled_ && level_ >= level);
}

std::string CxDebugUtil::FormatLine(int level, const char* sourceFile, int line, unsigned threadId,
                                    const std::string& message) {
  std::string source = "<null>";
  if (sourceFile) {
    std::string_view path(sourceFile);
    auto cut = path.find_last_of("/\\");
    if (cut != std::string_view::npos) path.remove_prefix(cut + 1);
    source = std::string(Utf8Prefix(path, 255));
  }
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  const char* marker = level == kLogError ? "!!!" : "   ";
  std::vector<char> buf(message.size() + source.size() + 128);
  int n = std::snprintf(buf.data(), buf.size(),
                        "[%04d/%02d/%02d %02d:%02d:%02d][%-20s(%-4d)][%05x][%s] - %s",
                        tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min,
                        tm.tm_sec, source.c_str(), line, threadId, marker, message.c_str());
  return std::string(buf.data(), n < 0 ? 0 : std::min(static_cast<std::size_t>(n), buf.size() - 1));
}

namespace {
thread_local CxFirstError* tInnermostCapture = nullptr;
}  // namespace

CxFirstError::CxFirstError() : outer_(tInnermostCapture) {
  tInnermostCapture = this;
}
CxFirstError::~CxFirstError() {
  tInnermostCapture = outer_;
}

void CxFirstError::Note(const std::string& message) {
  for (CxFirstError* c = tInnermostCapture; c; c = c->outer_) {
    if (c->text_.empty()) c->text_ = message;
  }
}

void CxDebugUtil::Report(int level, const char* sourceFile, int line, const char* format, ...) {
  if (!Wants(level)) return;
  std::vector<char> msg(kMessageCapacity);
  if (format) {
    va_list args;
    va_start(args, format);
    std::vsnprintf(msg.data(), msg.size(), format, args);
    va_end(args);
  }
  std::string message(Utf8Prefix(msg.data(), kMessageCapacity - 1));
  if (level == kLogError) CxFirstError::Note(message);
  auto tid = static_cast<unsigned>(::syscall(SYS_gettid));
  std::string text = FormatLine(level, sourceFile, line, tid, message);

  std::lock_guard<std::mutex> g(lock_);
  std::string path = folder_ + fileName_;
  const char* mode = "ab";
  if (CxFile::FileSize(path) >= kRotateAtBytes) {
    std::error_code ec;  // a failed copy must not stop the restart
    std::filesystem::copy_file(path, path + ".old.log",
                               std::filesystem::copy_options::overwrite_existing, ec);
    mode = "wb";
  }
  CxFile f;
  if (!f.Open(path, mode, true)) return;
  f.WriteLine(text);
}
