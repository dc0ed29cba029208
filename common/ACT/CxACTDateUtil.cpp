#include "ACT/CxACTDateUtil.h"

#include "ACT/ACTConvert.h"

CxACTDateUtil::CxACTDateUtil() {
  SetDataFileName("ACTDate.dat");
  SetParamFileName("ACTDateParam.dat");
  SetErrorFileName("ACTDateErr.dat");
  SetStatusFileName("ACTDateStatus.dat");
  SetDataIniFileName("ACTDate.ini");
  SetProgramName("Korvane.ACTDateUtil.exe");
}

const HelperTexts* CxACTDateUtil::Texts() const {
  static const HelperTexts t{"ACT! Calendar events", "Calendar event", "ACT! Calendar events"};
  return &t;
}

bool CxACTDateUtil::ReadRecord(CxFile& file, ACTEventRecord& record) {
  return ReadACTEvent(file, record);
}

void CxACTDateUtil::WriteRecord(CxFile& file, const ACTEventRecord& record) {
  WriteACTEvent(file, record);
}

void CxACTDateUtil::ToCommon(const ACTEventRecord& native, CommonEvent& common) {
  ACTToCommon(native, common);
}

void CxACTDateUtil::FromCommon(const CommonEvent& common, ACTEventRecord& native,
                               HelperAction action) {
  CommonToACT(common, native);
  native.ChangeMark = kACTChanged;
  native.Action = action;
}
