#include "ACT/CxACTBaseUtil.h"

#include "misc/Utf8.h"

CxACTBaseUtil::~CxACTBaseUtil() {
  CxHelperBaseUtil::Unload();
}

void CxACTBaseUtil::SetDatabase(std::string_view path) {
  database_ = std::string(Utf8Prefix(path, kMaxSettingBytes));
}

void CxACTBaseUtil::FillParams(CxHelperParamParser& p) const {
  p.SetText(kACTParamDatabase, database_);
  p.SetText(kACTParamUser, user_);
  p.SetText(kACTParamPassword, password_);
  p.SetText(kACTParamDataFile, dataFileName_);
  p.SetText(kACTParamFolder, folder_);
  p.SetText(kACTParamOperation, std::to_string(operation_));
  p.SetText(kACTParamErrorFile, errorFileName_);
  p.SetText(kACTParamStatusFile, statusFileName_);
  FillOwnParams(p);
  p.SetText(kACTParamLogFolder, logFolder_);
  p.SetText(kACTParamLogFile, logFileName_);
  p.SetText(kACTParamDebugLevel, std::to_string(debugLevel_));
  p.SetText(kACTParamDebugEnabled, debugEnabled_ ? "1" : "0");
}
