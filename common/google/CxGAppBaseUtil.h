#pragma once

#include "google/CxHelperBaseUtil.h"

// Parameter keys the Google helpers read.
enum GoogleParamKey : std::int32_t {
  kGParamUser = 1000,
  kGParamPassword = 1001,
  kGParamDataFile = 1002,
  kGParamFolder = 1003,
  kGParamExtra = 1004,
  kGParamOperation = 1005,
  kGParamErrorFile = 1009,
  kGParamStatusFile = 1010,
  kGParamLogFolder = 1013,
  kGParamLogFile = 1014,
  kGParamDebugLevel = 1015,
  kGParamDebugEnabled = 1016,
};

// Base of the Google contact, calendar, task and note connectors: the Google parameter keys.
class CxGAppBaseUtil : public CxHelperBaseUtil {
 protected:
  void FillParams(CxGAppParamParser& params) const override;
  // Keys of one data type that go between the extra text and the error file (calendar).
  virtual void FillOwnParams(CxGAppParamParser& /*params*/) const {}
};
