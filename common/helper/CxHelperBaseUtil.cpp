#include "helper/CxHelperBaseUtil.h"

#include <unistd.h>

#include "misc/CxDebugUtil.h"
#include "misc/CxFile.h"
#include "misc/CxIniUtil.h"
#include "misc/Utf8.h"
#include "platform/PlatformPaths.h"

CxHelperBaseUtil::CxHelperBaseUtil() : folder_(platform::ExecutableFolder()) {}

CxHelperBaseUtil::~CxHelperBaseUtil() {
  AskHelperToStop();
}

void CxHelperBaseUtil::AskHelperToStop() {
  if (dataIniFileName_.empty() || folder_.empty()) return;
  CxIniUtil ini(folder_, dataIniFileName_);
  if (ini.ReadInt("Status", "Running", 0) == 1) ini.WriteInt("Status", "Stop", 1);
}

void CxHelperBaseUtil::Unload() {
  if (!statusFileName_.empty()) ::unlink((folder_ + statusFileName_).c_str());
  if (!errorFileName_.empty()) ::unlink((folder_ + errorFileName_).c_str());
}

void CxHelperBaseUtil::SetUser(std::string_view user) {
  user_ = std::string(Utf8Prefix(user, kMaxSettingBytes));
}

void CxHelperBaseUtil::SetPassword(std::string_view password) {
  password_ = std::string(Utf8Prefix(password, kMaxSettingBytes));
}

void CxHelperBaseUtil::SetFolder(std::string_view folder) {
  folder_ = std::string(folder);
  if (!folder_.empty() && folder_.back() != '/') folder_ += '/';
}

std::string CxHelperBaseUtil::FilePath(std::string_view name) const {
  if (name.empty()) return DataFilePath();
  if (name.front() == '/') return std::string(name);
  return folder_ + std::string(name);
}

void CxHelperBaseUtil::SetError(std::string_view text) {
  errorText_ = std::string(Utf8Prefix(text, kMaxErrorTextBytes));
  hasError_ = true;
}

bool CxHelperBaseUtil::RunHelper(int operation) {
  operation_ = operation;
  hasError_ = false;
  errorText_.clear();
  std::string paramPath = folder_ + paramFileName_;
  std::string errorPath = folder_ + errorFileName_;
  // An error file left from an earlier run would be taken for this run's.
  if (!errorFileName_.empty()) ::unlink(errorPath.c_str());

  CxHelperParamParser params;
  FillParams(params);
  if (!params.Write(paramPath)) {
    // A stale parameter file might name another operation: never start the helper on it.
    ::unlink(paramPath.c_str());
    QM_LOG_ERROR("Failed to write parameter file: %s (%s)", paramPath.c_str(),
                 params.ErrorText().c_str());
    SetError("Could not write the helper program's parameter file " + paramPath + ": " +
             params.ErrorText() + ".");
    return false;
  }

  runner_.SetFolder(folder_);
  runner_.SetProgram(programName_);
  runner_.SetParamFileName(paramFileName_);
  runner_.SetDataFileName(dataFileName_);
  HelperRunResult result = runner_.Run();
  // The parameter file holds the password; once the helper has ended nobody needs it.
  if (result == HelperRunResult::kExited || result == HelperRunResult::kSignalled ||
      result == HelperRunResult::kStartFailed)
    ::unlink(paramPath.c_str());

  ReadErrorFile();
  // A helper that never ran (or died) wrote no error file: the runner knows why.
  if (!hasError_ && !runner_.FailureText().empty()) SetError(runner_.FailureText());
  return true;
}

bool CxHelperBaseUtil::HoldFolder(platform::DataFolderLock& lock) {
  if (lock.Lock(folder_)) return true;
  QM_LOG_ERROR("%s", lock.Error().c_str());
  SetError(lock.Error());
  return false;
}

void CxHelperBaseUtil::ReadErrorFile() {
  hasError_ = false;
  errorText_.clear();
  warnings_.clear();
  if (errorFileName_.empty()) return;
  std::string path = folder_ + errorFileName_;
  std::int64_t size = CxFile::FileSize(path);
  if (size < 0) return;
  if (size > kMaxErrorFileBytes) {
    QM_LOG_ERROR("Error file %s is too large (%lld bytes).", path.c_str(),
                 static_cast<long long>(size));
    SetError("The helper program reported an error that could not be read.");
    return;
  }
  CxIniUtil ini(folder_, errorFileName_);
  ini.SetPath(path);
  // A helper reports at most a few hundred; the count is its word only.
  constexpr int kMaxWarnings = 1000;
  int warnings = ini.ReadInt("Warning", "Warning.Count", 0);
  for (int i = 1; i <= warnings && i <= kMaxWarnings; ++i) {
    std::string text = ini.ReadText("Warning", "Warning." + std::to_string(i), "");
    if (text.empty()) continue;
    QM_LOG_ERROR("The helper program left something out: %s", text.c_str());
    warnings_.push_back(std::string(Utf8Prefix(text, kMaxErrorTextBytes)));
  }
  int count = ini.ReadInt("Error", "Error.Count", 0);
  if (count <= 0) return;
  std::string key = "Error." + std::to_string(count);
  std::string text = ini.ReadText("Error", key, "");
  if (text.empty()) {
    QM_LOG_ERROR("Error file %s counts %d errors but has no text for %s.", path.c_str(), count,
                 key.c_str());
    text = "The helper program reported an error without a description.";
  }
  SetError(text);
}
