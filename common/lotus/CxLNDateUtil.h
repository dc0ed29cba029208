#pragma once

#include "lotus/CxLNDataUtil.h"
#include "misc/CommDateMgr.h"

// The calendar entries of a Notes mail database, through "Korvane.NotesDate" ("LNDate.dat").
class CxLNDateUtil : public CxLNDataUtil<LNEventRecord, CommDateMgr> {
 public:
  CxLNDateUtil();

 protected:
  const HelperTexts* Texts() const override;
  const char* SubmitText() const override {
    return "Submit changes to Lotus Notes calendar database";
  }
  void ToCommon(const LNEventRecord& native, CommonEvent& common) override {
    LNToCommon(native, common);
  }
};
