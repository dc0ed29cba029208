#pragma once

#include "google/GParamKeys.h"
#include "helper/CxHelperBaseUtil.h"

// Base of the Google contact, calendar, task and note connectors: the Google parameter keys.
class CxGAppBaseUtil : public CxHelperBaseUtil {
 protected:
  void FillParams(CxHelperParamParser& params) const override;
  // Keys of one data type that go between the extra text and the error file (calendar).
  virtual void FillOwnParams(CxHelperParamParser& /*params*/) const {}
};
