#include "ACT/CxACTTaskUtil.h"

#include "ACT/ACTConvert.h"

CxACTTaskUtil::CxACTTaskUtil() {
  SetDataFileName("ACTTask.dat");
  SetParamFileName("ACTTaskParam.dat");
  SetErrorFileName("ACTTaskErr.dat");
  SetStatusFileName("ACTTaskStatus.dat");
  SetDataIniFileName("ACTTask.ini");
  SetProgramName("Korvane.ACTTaskUtil.exe");
}

void CxACTTaskUtil::FillOwnParams(CxHelperParamParser& p) const {
  p.SetText(kACTParamOpportunities, opportunities_ ? "1" : "0");
  p.SetText(kACTParamOpportunityNotes, opportunityNotes_ ? "1" : "0");
}

const HelperTexts* CxACTTaskUtil::Texts() const {
  static const HelperTexts t{"ACT! Todos and Opportunities", "Todo and Opportunity",
                             "ACT! Todos and Opportunities"};
  return &t;
}

bool CxACTTaskUtil::ReadRecord(CxFile& file, ACTTaskRecord& record) {
  return ReadACTTask(file, record);
}

void CxACTTaskUtil::WriteRecord(CxFile& file, const ACTTaskRecord& record) {
  WriteACTTask(file, record);
}

void CxACTTaskUtil::ToCommon(const ACTTaskRecord& native, CommonTask& common) {
  ACTToCommon(native, common);
}

void CxACTTaskUtil::FromCommon(const CommonTask& common, ACTTaskRecord& native,
                               HelperAction action) {
  CommonToACT(common, native);
  native.ChangeMark = kACTChanged;
  native.Action = action;
}
