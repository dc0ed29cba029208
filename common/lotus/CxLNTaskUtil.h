#pragma once

#include "lotus/CxLNDataUtil.h"
#include "misc/CommTaskMgr.h"

// The to-dos of a Notes mail database, through "Korvane.NotesTask" ("LNTask.dat").
class CxLNTaskUtil : public CxLNDataUtil<LNTaskRecord, CommTaskMgr> {
 public:
  CxLNTaskUtil();
  // The moment completion dates are held against; unset: the time of each load.
  void SetNow(OleDate now) { now_ = now; }

 protected:
  const HelperTexts* Texts() const override;
  const char* SubmitText() const override { return "Submit changes to Lotus Notes task database"; }
  void ToCommon(const LNTaskRecord& native, CommonTask& common) override;

 private:
  OleDate now_;
};
