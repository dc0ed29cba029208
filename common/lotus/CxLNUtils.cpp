// The file names and log texts of the four Notes data types.
#include "lotus/CxLNAddrUtil.h"
#include "lotus/CxLNDateUtil.h"
#include "lotus/CxLNNoteUtil.h"
#include "lotus/CxLNTaskUtil.h"
#include "misc/CxDateTime.h"

CxLNAddrUtil::CxLNAddrUtil() {
  SetDataFileName("LNAddr.dat");
  SetParamFileName("LNAddrParam.dat");
  SetErrorFileName("LNAddrErr.dat");
  SetStatusFileName("LNAddrStatus.dat");
  SetDataIniFileName("LNAddr.ini");
  SetProgramName("Korvane.NotesAddr.exe");
}

const HelperTexts* CxLNAddrUtil::Texts() const {
  static const HelperTexts t{"Lotus Notes Contacts", "Contact", "Contacts"};
  return &t;
}

CxLNDateUtil::CxLNDateUtil() {
  SetDataFileName("LNDate.dat");
  SetParamFileName("LNDateParam.dat");
  SetErrorFileName("LNDateErr.dat");
  SetStatusFileName("LNDateStatus.dat");
  SetDataIniFileName("LNDate.ini");
  SetProgramName("Korvane.NotesDate.exe");
}

const HelperTexts* CxLNDateUtil::Texts() const {
  static const HelperTexts t{"Lotus Notes Calendar", "Calendar", "Calendar"};
  return &t;
}

CxLNTaskUtil::CxLNTaskUtil() {
  SetDataFileName("LNTask.dat");
  SetParamFileName("LNTaskParam.dat");
  SetErrorFileName("LNTaskErr.dat");
  SetStatusFileName("LNTaskStatus.dat");
  SetDataIniFileName("LNTask.ini");
  SetProgramName("Korvane.NotesTask.exe");
}

const HelperTexts* CxLNTaskUtil::Texts() const {
  static const HelperTexts t{"Lotus Notes Tasks", "Task", "Tasks"};
  return &t;
}

void CxLNTaskUtil::ToCommon(const LNTaskRecord& native, CommonTask& common) {
  LNToCommon(native, common, now_.IsSet() ? now_ : CxDateTime().Date());
}

CxLNNoteUtil::CxLNNoteUtil() {
  SetDataFileName("LNNote.dat");
  SetParamFileName("LNNoteParam.dat");
  SetErrorFileName("LNNoteErr.dat");
  SetStatusFileName("LNNoteStatus.dat");
  SetDataIniFileName("LNNote.ini");
  SetProgramName("Korvane.NotesNote.exe");
}

const HelperTexts* CxLNNoteUtil::Texts() const {
  static const HelperTexts t{"Lotus Notes Notes", "Note", "Notes"};
  return &t;
}
