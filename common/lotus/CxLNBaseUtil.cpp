#include "lotus/CxLNBaseUtil.h"

#include <sys/stat.h>
#include <unistd.h>

#include "misc/CxDebugUtil.h"
#include "misc/WinUtil.h"

std::string LotusNotesProgramFolder() {
  char folder[1024] = {};
  if (!GetNotesProgramFolder(folder, sizeof folder) || !folder[0]) return {};
  std::string path = folder;
  if (path.back() != '/') path += '/';
  return path;
}

CxLNBaseUtil::~CxLNBaseUtil() {
  CxHelperBaseUtil::Unload();
}

void CxLNBaseUtil::FillParams(CxHelperParamParser& p) const {
  p.SetText(kLNParamReserved1, "");
  p.SetText(kLNParamPassword, password_);
  p.SetText(kLNParamReserved3, "");
  p.SetText(kLNParamDataFile, dataFileName_);
  p.SetText(kLNParamFolder, folder_);
  p.SetText(kLNParamOperation, std::to_string(operation_));
  p.SetText(kLNParamErrorFile, errorFileName_);
  p.SetText(kLNParamStatusFile, statusFileName_);
  p.SetText(UsesAddressBookKey() ? kLNParamAddressBook : kLNParamDatabase, database_);
  p.SetText(kLNParamLogFolder, logFolder_);
  p.SetText(kLNParamLogFile, logFileName_);
  p.SetText(kLNParamDebugLevel, std::to_string(debugLevel_));
  p.SetText(kLNParamDebugEnabled, debugEnabled_ ? "1" : "0");
  p.SetText(kLNParamIdFile, idFile_);
}

bool CxLNBaseUtil::UseNotesFolder() {
  std::string folder = LotusNotesProgramFolder();
  QM_LOG_INFO("Get Lotus Notes Path: %s", folder.c_str());
  if (folder.empty()) {
    // Our helpers need no Notes installation; one that does says so through its error file.
    QM_LOG_INFO("No Lotus Notes program folder; the helper starts in its own folder.");
  } else {
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
      std::string text = "The Lotus Notes program folder " + folder +
                         " named in the registry does not exist; is Lotus Notes installed?";
      QM_LOG_ERROR("%s", text.c_str());
      SetError(text);
      return false;
    }
  }
  Runner().SetHelperCurrentFolder(folder);
  return true;
}
