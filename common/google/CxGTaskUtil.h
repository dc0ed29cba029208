#pragma once

#include "google/CxGLoadOnlyUtil.h"
#include "google/GoogleTaskNote.h"
#include "misc/CommTaskMgr.h"

// The to-do items of the Google account, read through the helper "GTaskUtil" ("GTask.dat").
class CxGTaskUtil : public CxGLoadOnlyUtil<GoogleTask, CommTaskMgr> {
 public:
  CxGTaskUtil();

 protected:
  bool ReadNative(CxFile& file, GoogleTask& record) override;
  void WriteNative(CxFile& file, const GoogleTask& record) override;
  void ToCommon(const GoogleTask& native, CommonTask& common) override;
};
