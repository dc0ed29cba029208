#pragma once

#include "ACT/ACTRecords.h"
#include "ACT/CxACTDataUtil.h"
#include "misc/CommTaskMgr.h"

// The ACT! to-dos (and, when asked for, opportunities and their notes), exchanged with the
// helper "Korvane.ACTTaskUtil" through "ACTTask.dat".
class CxACTTaskUtil : public CxACTDataUtil<ACTTaskRecord, CommTaskMgr> {
 public:
  CxACTTaskUtil();

  void SetIncludeOpportunities(bool on) { opportunities_ = on; }
  void SetIncludeOpportunityNotes(bool on) { opportunityNotes_ = on; }

 protected:
  void FillOwnParams(CxHelperParamParser& params) const override;
  const HelperTexts* Texts() const override;
  std::uint32_t SourceTypeCode() const override { return kSourceACT; }
  bool ReadRecord(CxFile& file, ACTTaskRecord& record) override;
  void WriteRecord(CxFile& file, const ACTTaskRecord& record) override;
  void ToCommon(const ACTTaskRecord& native, CommonTask& common) override;
  void FromCommon(const CommonTask& common, ACTTaskRecord& native, HelperAction action) override;

 private:
  bool opportunities_ = false;
  bool opportunityNotes_ = false;
};
