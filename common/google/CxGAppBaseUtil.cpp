#include "google/CxGAppBaseUtil.h"

void CxGAppBaseUtil::FillParams(CxHelperParamParser& p) const {
  p.SetText(kGParamUser, user_);
  p.SetText(kGParamPassword, password_);
  p.SetText(kGParamDataFile, dataFileName_);
  p.SetText(kGParamFolder, folder_);
  p.SetText(kGParamOperation, std::to_string(operation_));
  p.SetText(kGParamExtra, extraText_);
  FillOwnParams(p);
  // The task and note helpers take neither key: those classes leave both names empty.
  if (!errorFileName_.empty()) p.SetText(kGParamErrorFile, errorFileName_);
  if (!statusFileName_.empty()) p.SetText(kGParamStatusFile, statusFileName_);
  p.SetText(kGParamLogFolder, logFolder_);
  p.SetText(kGParamLogFile, logFileName_);
  p.SetText(kGParamDebugLevel, std::to_string(debugLevel_));
  p.SetText(kGParamDebugEnabled, debugEnabled_ ? "1" : "0");
}
