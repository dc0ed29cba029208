#pragma once

#include "ACT/ACTRecords.h"
#include "ACT/CxACTDataUtil.h"
#include "misc/CommDateMgr.h"

// The ACT! activities, exchanged with the helper "Korvane.ACTDateUtil" through "ACTDate.dat".
class CxACTDateUtil : public CxACTDataUtil<ACTEventRecord, CommDateMgr> {
 public:
  CxACTDateUtil();

 protected:
  const HelperTexts* Texts() const override;
  std::uint32_t SourceTypeCode() const override { return kSourceACT; }
  bool ReadRecord(CxFile& file, ACTEventRecord& record) override;
  void WriteRecord(CxFile& file, const ACTEventRecord& record) override;
  void ToCommon(const ACTEventRecord& native, CommonEvent& common) override;
  void FromCommon(const CommonEvent& common, ACTEventRecord& native, HelperAction action) override;
};
