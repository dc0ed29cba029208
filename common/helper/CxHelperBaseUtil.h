#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "helper/CxHelperDataReader.h"
#include "helper/CxHelperParamParser.h"
#include "helper/HelperCodes.h"
#include "platform/DataFolderLock.h"

// What every helper-based connector (each connector family) has in common: the
// account and file settings, running the helper through a parameter file, and reading back its
// error file. A connector family derives its base from this one and supplies its parameter keys
// (FillParams); its data-type classes add their records through CxHelperLoadUtil or
// CxHelperDataUtil.
class CxHelperBaseUtil {
 public:
  // An error file beyond this is not a helper's report of a few lines.
  static constexpr std::int64_t kMaxErrorFileBytes = 1 << 20;
  static constexpr std::size_t kMaxErrorTextBytes = 1023;
  static constexpr std::size_t kMaxSettingBytes = 255;

  CxHelperBaseUtil();
  CxHelperBaseUtil(const CxHelperBaseUtil&) = delete;
  CxHelperBaseUtil& operator=(const CxHelperBaseUtil&) = delete;
  // Asks a helper that is still running (after a time-out) to stop.
  virtual ~CxHelperBaseUtil();

  virtual bool Load() { return true; }
  // Deletes the status and error files.
  virtual void Unload();
  virtual bool Submit() { return true; }

  // Each copies its text; an empty text clears the field.
  void SetUser(std::string_view user);
  void SetPassword(std::string_view password);
  // A separator is appended when missing, as every exchanged path is folder + name.
  void SetFolder(std::string_view folder);
  void SetLogFolder(std::string_view folder) { logFolder_ = std::string(folder); }
  void SetLogFileName(std::string_view name) { logFileName_ = std::string(name); }
  void SetDebugLevel(int level) { debugLevel_ = level; }
  void SetDebugEnabled(bool enabled) { debugEnabled_ = enabled; }

  bool HasError() const { return hasError_; }
  const std::string& ErrorText() const { return errorText_; }
  // What the helper left out without failing (section [Warning] of its error file).
  const std::vector<std::string>& Warnings() const { return warnings_; }
  bool Changed() const { return changed_; }
  const std::string& Folder() const { return folder_; }

  // The runner of this data type (tests point it at a stand-in helper).
  CxHelperDataReader& Runner() { return runner_; }

 protected:
  // Called by the data-type constructors.
  void SetDataFileName(std::string_view name) { dataFileName_ = std::string(name); }
  void SetParamFileName(std::string_view name) { paramFileName_ = std::string(name); }
  void SetErrorFileName(std::string_view name) { errorFileName_ = std::string(name); }
  void SetStatusFileName(std::string_view name) { statusFileName_ = std::string(name); }
  void SetDataIniFileName(std::string_view name) { dataIniFileName_ = std::string(name); }
  void SetProgramName(std::string_view name) { programName_ = std::string(name); }
  void SetExtraText(std::string_view text) { extraText_ = std::string(text); }

  // The connector family's parameter keys, in its order, for the current operation.
  virtual void FillParams(CxHelperParamParser& params) const = 0;

  // Writes the parameter file, runs the helper for `operation` and reads its error file.
  // False when the helper could not be given its parameters (then it is not started).
  bool RunHelper(int operation);
  // Takes the working folder for this connector's run; false (with the reason as error text)
  // when another program is using it.
  bool HoldFolder(platform::DataFolderLock& lock);
  // Reads the error file into HasError/ErrorText.
  void ReadErrorFile();

  std::string DataFilePath() const { return folder_ + dataFileName_; }
  // A file of this connector: the data file for an empty name, a bare name in the working
  // folder, an absolute path as it is.
  std::string FilePath(std::string_view name) const;
  void SetChanged(bool changed) { changed_ = changed; }
  void SetError(std::string_view text);

  std::string user_;
  std::string password_;
  std::string folder_;
  std::string dataFileName_;
  std::string paramFileName_;
  std::string errorFileName_;
  std::string statusFileName_;
  std::string dataIniFileName_;
  std::string programName_;
  std::string extraText_;
  std::string logFolder_;
  std::string logFileName_ = "appdebug.log";
  int debugLevel_ = 3;
  bool debugEnabled_ = false;
  int operation_ = kHelperLoad;

 private:
  void AskHelperToStop();

  std::string errorText_;
  std::vector<std::string> warnings_;
  bool hasError_ = false;
  bool changed_ = true;
  CxHelperDataReader runner_;
};
