#include "ACT/CxACTNoteUtil.h"

#include "ACT/ACTConvert.h"

CxACTNoteUtil::CxACTNoteUtil() {
  SetDataFileName("ACTNote.dat");
  SetParamFileName("ACTNoteParam.dat");
  SetErrorFileName("ACTNoteErr.dat");
  SetStatusFileName("ACTNoteStatus.dat");
  SetDataIniFileName("ACTNote.ini");
  SetProgramName("Korvane.ACTNoteUtil.exe");
}

const HelperTexts* CxACTNoteUtil::Texts() const {
  static const HelperTexts t{"ACT! Notes", "Note", "ACT! Notes"};
  return &t;
}

bool CxACTNoteUtil::ReadRecord(CxFile& file, ACTNoteRecord& record) {
  return ReadACTNote(file, record);
}

void CxACTNoteUtil::WriteRecord(CxFile& file, const ACTNoteRecord& record) {
  WriteACTNote(file, record);
}

void CxACTNoteUtil::ToCommon(const ACTNoteRecord& native, CommonNote& common) {
  ACTToCommon(native, common);
}

void CxACTNoteUtil::FromCommon(const CommonNote& common, ACTNoteRecord& native,
                               HelperAction action) {
  CommonToACT(common, native);
  native.ChangeMark = kACTChanged;
  native.Action = action;
}
