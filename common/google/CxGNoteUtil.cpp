#include "google/CxGNoteUtil.h"

CxGNoteUtil::CxGNoteUtil() {
  SetDataFileName("GNote.dat");
  SetParamFileName("GNoteParam.dat");
  SetDataIniFileName("GNoteData.ini");
  SetProgramName("GNoteUtil.exe");
}

bool CxGNoteUtil::ReadNative(CxFile& file, GoogleNote& record) {
  return ReadGoogleNote(file, record);
}

void CxGNoteUtil::WriteNative(CxFile& file, const GoogleNote& record) {
  WriteGoogleNote(file, record);
}

void CxGNoteUtil::ToCommon(const GoogleNote& native, CommonNote& common) {
  GoogleToCommon(native, common);
}
