#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "misc/CxIniUtil.h"
#include "misc/FixedText.h"

// The one settings record of the process, loaded at start and saved at exit.
struct AppSettings {
  int SourceApp = 0;
  bool EnableDebug = false;
  int LogLevel = 0;
  bool SyncAddr = false;
  bool SyncDate = false;
  bool SyncTask = false;
  bool SyncNote = false;
  int NewColor = 0;
  int DiffColor = 0;
  int SameColor = 0;
  FixedText<256> LNAppName;
  bool LNSavePassword = false;
  bool LNNeedPassword = false;
  FixedText<256> LNAddrName;
  FixedText<256> LNDateName;
  FixedText<256> LNNoteName;
  FixedText<64> LNPassword;
  FixedText<256> LNIDFile;
  FixedText<256> ACTPadName;
  FixedText<64> ACTUserName;
  bool ACTSaveUser = false;
  bool ACTSavePassword = false;
  FixedText<64> ACTPassword;
  FixedText<256> ACTAppName;
  bool Opp = false;
  bool OppNotes = false;
  int PDUserID = 0;
  bool UsePDAddrFile = false;
  bool UsePDDateFile = false;
  bool UsePDTaskFile = false;
  bool UsePDNoteFile = false;
  FixedText<256> PDAddrFileName;
  FixedText<256> PDDateFileName;
  FixedText<256> PDTaskFileName;
  FixedText<256> PDNoteFileName;
  bool GGSaveEmail = false;
  FixedText<64> GGEmail;
  bool GGSavePassword = false;
  FixedText<64> GGPassword;
  int OLMode = 0;
  FixedText<260> OLAppName;
  FixedText<256> DNHostName;
  bool DNSaveOrg = false;
  bool DNSaveID = false;
  bool DNSavePassword = false;
  int DNAuthMode = 0;
  FixedText<64> DNOrg;
  FixedText<64> DNLiveID;
  FixedText<64> DNPassword;
  bool DNAddrAccount = false;
  bool DNAddrContact = false;
  bool DNAddrLead = false;
  bool SFSaveUser = false;
  bool SFSavePassword = false;
  bool SFSaveToken = false;
  FixedText<64> SFUserName;
  FixedText<64> SFPassword;
  FixedText<256> SFToken;
  bool SFAddrAccount = false;
  bool SFAddrContact = false;
  bool SFAddrLead = false;
  FixedText<256> SGHostName;
  bool SGSaveUser = false;
  bool SGSavePassword = false;
  FixedText<64> SGUserName;
  FixedText<64> SGPassword;
  bool SGAddrAccount = false;
  bool SGAddrContact = false;
  bool SGAddrLead = false;
  // Field mapped to custom slot 1-9 (index 0-8) of that application's contacts.
  std::array<int, 9> ACTCustomID{};
  std::array<int, 9> GGCustomID{};
  std::array<int, 9> LNCustomID{};
  std::array<int, 9> OLCustomID{};
  std::array<int, 9> PDCustomID{};
  std::array<FixedText<64>, 9> OLCustomLabel;
  std::array<FixedText<64>, 9> GGCustomLabel;
  bool ACTCustom = false;
  bool GGCustom = false;
  bool LNCustom = false;
  bool PDCustom = false;
  bool OLCustom = false;
  // Code page of Palm Desktop .dat text.
  int PDCodePage = 0;
};

// One key of the settings file, for code that walks them all (load, save, the CLI's dump).
struct SettingKey {
  enum Kind { kInt, kBool, kText, kEncoded };
  std::string name;
  Kind kind = kInt;
  int defaultInt = 0;
  std::string defaultText;
  std::string gate;                // a boolean key that decides whether the value is kept
  bool readWithoutGate = false;    // read even when the gate is off (the ACT! user name)
  bool neverWritten = false;       // read only (the Dynamics CRM host)
  std::size_t storedCapacity = 0;  // width of the value in the file, terminator included
  std::function<int&(AppSettings&)> intField;
  std::function<bool&(AppSettings&)> boolField;
  std::function<TextFieldRef(AppSettings&)> textField;
};

inline constexpr const char* kSettingsSection = "VEGG";

// Every key, in load order.
const std::vector<SettingKey>& AppSettingKeys();
// The key names in save order (without DNHostName).
const std::vector<std::string>& AppSettingSaveOrder();

// The process-wide record.
AppSettings& TheAppSettings();

// The data folder (application data, then korvane/VEGG/), created when missing, with a trailing
// separator. False when it cannot be made.
bool GetAppDataFolder(std::string& folder);
bool GetAppDataFolder(char* buffer, std::size_t capacity);

// "VEGG.ini" in the data folder, or "korvane.ini" beside the program when there is none.
std::string AppSettingsPath();

// What a load found beside the values.
struct SettingsLoadResult {
  // False when the file exists but could not be read (or is no regular file): the record then
  // holds the defaults and the file must not be saved over.
  bool read = true;
  std::string error;
  // One line per value cut to its field, "KEY: kept N of M bytes".
  std::vector<std::string> cuts;
};

// Reads the file once and takes every key from that copy.
SettingsLoadResult LoadAppSettings(AppSettings& settings, CxIniUtil& ini);
// Reads the file once more (keys we do not own stay), sets every key and replaces the file
// once. False, with the reason in `error`, when the file cannot be read or written; the file
// on disk is then left as it was.
bool SaveAppSettings(AppSettings& settings, CxIniUtil& ini, std::string* error = nullptr);
// The same for the process-wide record and file. A save after a load that could not read the
// file refuses, so that the defaults never replace settings the person still has.
SettingsLoadResult LoadAppSettings();
bool SaveAppSettings(std::string* error = nullptr);
// Writes a load's failure (as an error) and its cuts (as information) to the debug log; called
// once the log is configured from the loaded settings.
void ReportSettingsLoad(const SettingsLoadResult& result);

std::string Base64Encode(std::string_view bytes);
// Stops at the first '=' or at the first group holding a character outside the alphabet.
std::string Base64Decode(std::string_view text);
