#pragma once

#include "lotus/CxLNDataUtil.h"
#include "misc/CommNoteMgr.h"

// The entries of a Notes notebook database, through "Korvane.NotesNote" ("LNNote.dat").
class CxLNNoteUtil : public CxLNDataUtil<LNNoteRecord, CommNoteMgr> {
 public:
  CxLNNoteUtil();

 protected:
  const HelperTexts* Texts() const override;
  const char* SubmitText() const override {
    return "Submit changes to Lotus Notes notebook database";
  }
  void ToCommon(const LNNoteRecord& native, CommonNote& common) override {
    LNToCommon(native, common);
  }
};
