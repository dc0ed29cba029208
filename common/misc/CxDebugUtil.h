#pragma once

#include <mutex>
#include <string>

// Message levels; the program uses these two.
enum LogLevel : int { kLogError = 0, kLogInfo = 2 };

// The process-wide debug log "appdebug.log". Errors are always written; other messages only when
// the log is enabled at a high enough level. Each line is opened, written and closed at once.
class CxDebugUtil {
 public:
  static CxDebugUtil& Instance();

  static constexpr long long kRotateAtBytes = 10 * 1024 * 1024 + 1;
  static constexpr std::size_t kMessageCapacity = 40960;

  void SetFolder(const std::string& folder);  // must end with a separator
  void SetLevel(int level);                   // clamped to 0-3
  void SetEnabled(bool enabled);
  void SetFileName(const std::string& name);  // for tests; "appdebug.log" by default

  int Level() const;
  bool Enabled() const;
  std::string FilePath() const;

  void Report(int level, const char* sourceFile, int line, const char* format, ...)
      __attribute__((format(printf, 5, 6)));

  // The line as written, without CR LF (exposed for tests).
  static std::string FormatLine(int level, const char* sourceFile, int line, unsigned threadId,
                                const std::string& message);

 private:
  CxDebugUtil() = default;
  bool Wants(int level) const;

  mutable std::mutex lock_;
  std::string folder_ = "./";
  std::string fileName_ = "appdebug.log";
  int level_ = 0;
  bool enabled_ = false;
};

// While one lives, the first error this thread reports is kept, so that a load can hand its
// cause to the person as well as to the log. Nested captures each keep their own first error.
class CxFirstError {
 public:
  CxFirstError();
  ~CxFirstError();
  CxFirstError(const CxFirstError&) = delete;
  CxFirstError& operator=(const CxFirstError&) = delete;
  const std::string& Text() const { return text_; }
  static void Note(const std::string& message);  // called by the log for each error

 private:
  std::string text_;
  CxFirstError* outer_;
};

#define QM_LOG(level, ...) CxDebugUtil::Instance().Report((level), __FILE__, __LINE__, __VA_ARGS__)
#define QM_LOG_ERROR(...) QM_LOG(kLogError, __VA_ARGS__)
#define QM_LOG_INFO(...) QM_LOG(kLogInfo, __VA_ARGS__)
