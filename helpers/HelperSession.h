#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "AccountBackend.h"
#include "HelperParams.h"
#include "google/GParamKeys.h"
#include "helper/HelperCodes.h"

// What the test switch file "GHelperTest.ini" in the working folder asks of a run ([Test]).
// A file, not the environment: the connector starts helpers with the program's environment.
struct HelperTestSwitches {
  int sleepMs = 0;          // SleepMs: wait that long before working, watching for "Stop"
  bool crash = false;       // Crash=1: abort once marked running
  int errors = 0;           // Errors=n: report n errors "Test error 1" ...
  int statusLines = 0;      // StatusLines=n: write "Test status 1" ... before working
  int statusDelayMs = 0;    // StatusDelayMs: pause after each of those lines
  bool ignoreStop = false;  // IgnoreStop=1: never stop early
  int recordDelayMs = 0;    // RecordDelayMs: pause after each record
};

// Where a helper family keeps each file and setting in its parameter file: the families share
// the contract, not the key numbers.
struct HelperKeys {
  std::int32_t user;
  std::int32_t password;
  std::int32_t dataFile;
  std::int32_t folder;
  std::int32_t operation;
  std::int32_t errorFile;
  std::int32_t statusFile;
  std::int32_t logFolder;
  std::int32_t logFile;
  std::int32_t debugLevel;
  std::int32_t debugEnabled;
};

inline constexpr HelperKeys kGoogleHelperKeys = {
    kGParamUser,      kGParamPassword,   kGParamDataFile,    kGParamFolder,
    kGParamOperation, kGParamErrorFile,  kGParamStatusFile,  kGParamLogFolder,
    kGParamLogFile,   kGParamDebugLevel, kGParamDebugEnabled};

// One run of a helper program: the contract's files and hand-shakes.
// Begin marks the run in the data ini file ("Running" = 1), End writes the error file and
// clears the mark. Errors and warnings collect in between and reach the error file together.
class HelperSession : public BackendHost {
 public:
  static constexpr const char* kSwitchFile = "GHelperTest.ini";
  static constexpr const char* kStoppedText = "The helper program was stopped before it finished.";

  // False when there is no usable parameter file; nothing can be reported then.
  // `switchFile` names the test switch file of the family.
  bool Begin(int argc, char** argv, const HelperKeys& keys = kGoogleHelperKeys,
             const char* switchFile = kSwitchFile);
  void End();

  const HelperParams& Params() const { return params_; }
  int Operation() const { return operation_; }
  const std::string& Folder() const { return folder_; }
  const HelperKeys& Keys() const { return keys_; }
  std::string DataFilePath() const { return folder_ + params_.Text(keys_.dataFile); }
  std::string User() const { return params_.Text(keys_.user); }
  std::string Password() const { return params_.Text(keys_.password); }
  const HelperTestSwitches& Switches() const { return switches_; }

  void Error(const std::string& text);
  std::size_t ErrorCount() const { return errors_.size(); }
  // Something left out without failing the run (a record file that could not be read); End
  // writes them to the error file's [Warning] section.
  void Warning(const std::string& text) override;
  // The first line of the status file; the wait window shows it.
  void Status(const std::string& line) override;
  // "<verb> <noun> i of n", now and then (and always for the last one); honours RecordDelayMs.
  void Progress(const char* verb, const char* noun, std::size_t i, std::size_t n) override;
  // True once the program has asked this run to stop ("Stop" = 1); checked at most every 50 ms.
  bool StopRequested() override;

 private:
  void SetDataIni(const char* key, const char* value);
  void ReadSwitches(const char* switchFile);

  HelperParams params_;
  HelperKeys keys_ = kGoogleHelperKeys;
  HelperTestSwitches switches_;
  std::string folder_;
  std::string dataIniPath_;
  int operation_ = 0;
  std::vector<std::string> errors_;
  std::vector<std::string> warnings_;
  bool stopped_ = false;
  std::chrono::steady_clock::time_point lastStopCheck_{};
  std::chrono::steady_clock::time_point lastStatus_{};
};
