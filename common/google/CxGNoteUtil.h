#pragma once

#include "google/CxGLoadOnlyUtil.h"
#include "google/GoogleTaskNote.h"
#include "misc/CommNoteMgr.h"

// The notes of the Google account, read through the helper "GNoteUtil" ("GNote.dat").
class CxGNoteUtil : public CxGLoadOnlyUtil<GoogleNote, CommNoteMgr> {
 public:
  CxGNoteUtil();

 protected:
  bool ReadNative(CxFile& file, GoogleNote& record) override;
  void WriteNative(CxFile& file, const GoogleNote& record) override;
  void ToCommon(const GoogleNote& native, CommonNote& common) override;
};
