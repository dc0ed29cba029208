#pragma once

#include "ACT/ACTRecords.h"
#include "ACT/CxACTDataUtil.h"
#include "misc/CommNoteMgr.h"

// The ACT! notes, exchanged with the helper "Korvane.ACTNoteUtil" through "ACTNote.dat".
class CxACTNoteUtil : public CxACTDataUtil<ACTNoteRecord, CommNoteMgr> {
 public:
  CxACTNoteUtil();

 protected:
  const HelperTexts* Texts() const override;
  std::uint32_t SourceTypeCode() const override { return kSourceACT; }
  bool ReadRecord(CxFile& file, ACTNoteRecord& record) override;
  void WriteRecord(CxFile& file, const ACTNoteRecord& record) override;
  void ToCommon(const ACTNoteRecord& native, CommonNote& common) override;
  void FromCommon(const CommonNote& common, ACTNoteRecord& native, HelperAction action) override;
};
