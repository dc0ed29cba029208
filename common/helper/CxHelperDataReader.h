#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <string_view>

// How a helper run ended. The helper's exit code carries no meaning; callers learn the outcome
// from the files it leaves, so this is for logs and tests only.
enum class HelperRunResult {
  kExited,       // ended on its own
  kSignalled,    // ended by a signal (a crash)
  kTimedOut,     // still running at the wait limit; left running
  kStartFailed,  // could not be started
  kWaitFailed,   // the wait itself failed
};

// Starts one helper program with the parameter file as its only argument and waits for it.
// No shell is involved: the program and the argument travel as they are, whatever they contain.
// The same runner serves every helper-based connector.
class CxHelperDataReader {
 public:
  static constexpr std::chrono::milliseconds kWaitLimit{30 * 60 * 1000};

  CxHelperDataReader();
  CxHelperDataReader(const CxHelperDataReader&) = delete;
  CxHelperDataReader& operator=(const CxHelperDataReader&) = delete;
  // Deletes the parameter and data files of the last run.
  ~CxHelperDataReader();

  // A bare program name such as "AddrUtil.exe", looked for in the helper folder only.
  void SetProgram(std::string_view name) { program_ = std::string(name); }
  // The working folder; the parameter file path is this folder followed directly by its name.
  void SetFolder(std::string_view folder) { folder_ = std::string(folder); }
  void SetParamFileName(std::string_view name) { paramFileName_ = std::string(name); }
  void SetDataFileName(std::string_view name) { dataFileName_ = std::string(name); }
  // Where the helpers are installed: the program's own folder unless set (tests).
  void SetHelperFolder(std::string_view folder);
  // The helper's current directory: the helper folder unless set.
  void SetHelperCurrentFolder(std::string_view folder) { currentFolder_ = std::string(folder); }
  void SetWaitLimit(std::chrono::milliseconds limit) { waitLimit_ = limit; }

  HelperRunResult Run();
  // Why the last run could not be started or ended abnormally, for a person; empty otherwise.
  const std::string& FailureText() const { return failure_; }

  // The file that Run starts: the name in the helper folder, or the name without ".exe" when
  // only that is installed.
  std::string ResolveProgram() const;

 private:
  void Release();

  std::string program_;
  std::string folder_;
  std::string paramFileName_;
  std::string dataFileName_;
  std::string helperFolder_;
  std::string currentFolder_;
  std::string failure_;
  std::chrono::milliseconds waitLimit_ = kWaitLimit;
  pid_t pid_ = -1;  // a helper left running after a time-out
};
