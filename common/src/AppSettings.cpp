#include "src/AppSettings.h"

#include <filesystem>

#include "misc/CxDebugUtil.h"
#include "misc/Utf8.h"
#include "platform/PlatformPaths.h"

namespace {

SettingKey Int(std::string name, int def, int& (*field)(AppSettings&)) {
  SettingKey k;
  k.name = std::move(name);
  k.kind = SettingKey::kInt;
  k.defaultInt = def;
  k.intField = field;
  return k;
}

SettingKey Bool(std::string name, bool def, bool& (*field)(AppSettings&)) {
  SettingKey k;
  k.name = std::move(name);
  k.kind = SettingKey::kBool;
  k.defaultInt = def ? 1 : 0;
  k.boolField = field;
  return k;
}

SettingKey Text(std::string name, std::size_t capacity, TextFieldRef (*field)(AppSettings&),
                std::string gate = {}) {
  SettingKey k;
  k.name = std::move(name);
  k.kind = SettingKey::kText;
  k.storedCapacity = capacity;
  k.textField = field;
  k.gate = std::move(gate);
  return k;
}

SettingKey Encoded(std::string name, std::size_t stored, TextFieldRef (*field)(AppSettings&),
                   std::string gate) {
  SettingKey k = Text(std::move(name), stored, field, std::move(gate));
  k.kind = SettingKey::kEncoded;
  return k;
}

#define QM_INT(name, def) Int(#name, def, [](AppSettings& s) -> int& { return s.name; })
#define QM_BOOL(name, def) Bool(#name, def, [](AppSettings& s) -> bool& { return s.name; })
#define QM_TEXT(name, cap, ...) \
  Text(#name, cap, [](AppSettings& s) { return RefOf(s.name); } __VA_OPT__(, ) __VA_ARGS__)
#define QM_ENCODED(name, cap, gate) \
  Encoded(                          \
      #name, cap, [](AppSettings& s) { return RefOf(s.name); }, gate)

std::vector<SettingKey> MakeKeys() {
  std::vector<SettingKey> k = {
      QM_INT(SourceApp, 0),
      QM_BOOL(EnableDebug, false),
      QM_INT(LogLevel, 3),
      QM_BOOL(SyncAddr, true),
      QM_BOOL(SyncDate, true),
      QM_BOOL(SyncTask, true),
      QM_BOOL(SyncNote, true),
      QM_INT(NewColor, 32768),
      QM_INT(DiffColor, 16711680),
      QM_INT(SameColor, 0),
      QM_TEXT(LNAppName, 256),
      QM_BOOL(LNSavePassword, false),
      QM_BOOL(LNNeedPassword, false),
      QM_TEXT(LNAddrName, 256),
      QM_TEXT(LNDateName, 256),
      QM_TEXT(LNNoteName, 256),
      QM_ENCODED(LNPassword, 256, "LNSavePassword"),
      QM_TEXT(LNIDFile, 256),
      QM_TEXT(ACTPadName, 256),
      QM_TEXT(ACTUserName, 64, "ACTSaveUser"),
      QM_BOOL(ACTSaveUser, true),
      QM_BOOL(ACTSavePassword, false),
      QM_ENCODED(ACTPassword, 256, "ACTSavePassword"),
      QM_TEXT(ACTAppName, 256),
      QM_BOOL(Opp, true),
      QM_BOOL(OppNotes, true),
      QM_INT(PDUserID, 0),
      QM_BOOL(UsePDAddrFile, false),
      QM_BOOL(UsePDDateFile, false),
      QM_BOOL(UsePDTaskFile, false),
      QM_BOOL(UsePDNoteFile, false),
      QM_TEXT(PDAddrFileName, 256),
      QM_TEXT(PDDateFileName, 256),
      QM_TEXT(PDTaskFileName, 256),
      QM_TEXT(PDNoteFileName, 256),
      QM_BOOL(GGSaveEmail, true),
      QM_TEXT(GGEmail, 64, "GGSaveEmail"),
      QM_BOOL(GGSavePassword, false),
      QM_ENCODED(GGPassword, 256, "GGSavePassword"),
      QM_INT(OLMode, 1),
      QM_TEXT(OLAppName, 260),
      QM_TEXT(DNHostName, 256),
      QM_BOOL(DNSaveOrg, true),
      QM_BOOL(DNSaveID, true),
      QM_BOOL(DNSavePassword, false),
      QM_INT(DNAuthMode, 0),
      QM_TEXT(DNOrg, 64, "DNSaveOrg"),
      QM_TEXT(DNLiveID, 64, "DNSaveID"),
      QM_ENCODED(DNPassword, 256, "DNSavePassword"),
      QM_BOOL(DNAddrAccount, true),
      QM_BOOL(DNAddrContact, true),
      QM_BOOL(DNAddrLead, true),
      QM_BOOL(SFSaveUser, true),
      QM_BOOL(SFSavePassword, false),
      QM_BOOL(SFSaveToken, true),
      QM_TEXT(SFUserName, 64, "SFSaveUser"),
      QM_ENCODED(SFPassword, 256, "SFSavePassword"),
      QM_ENCODED(SFToken, 1024, "SFSaveToken"),
      QM_BOOL(SFAddrAccount, true),
      QM_BOOL(SFAddrContact, true),
      QM_BOOL(SFAddrLead, true),
      QM_TEXT(SGHostName, 256),
      QM_BOOL(SGSaveUser, true),
      QM_BOOL(SGSavePassword, false),
      QM_TEXT(SGUserName, 64, "SGSaveUser"),
      QM_ENCODED(SGPassword, 256, "SGSavePassword"),
      QM_BOOL(SGAddrAccount, true),
      QM_BOOL(SGAddrContact, true),
      QM_BOOL(SGAddrLead, true),
  };
  for (SettingKey& key : k) {
    if (key.name == "ACTUserName") key.readWithoutGate = true;
    if (key.name == "DNHostName") key.neverWritten = true;
  }

  using IdArray = std::array<int, 9> AppSettings::*;
  const std::pair<const char*, IdArray> ids[] = {{"ACTCustomID", &AppSettings::ACTCustomID},
                                                 {"GGCustomID", &AppSettings::GGCustomID},
                                                 {"LNCustomID", &AppSettings::LNCustomID},
                                                 {"OLCustomID", &AppSettings::OLCustomID},
                                                 {"PDCustomID", &AppSettings::PDCustomID}};
  for (const auto& id : ids)
    for (std::size_t i = 0; i < 9; ++i) {
      const char* prefix = id.first;
      IdArray member = id.second;
      SettingKey key;
      key.name = prefix + std::to_string(i + 1);
      key.kind = SettingKey::kInt;
      key.intField = [member, i](AppSettings& s) -> int& { return (s.*member)[i]; };
      k.push_back(std::move(key));
    }
  using LabelArray = std::array<FixedText<64>, 9> AppSettings::*;
  const std::pair<const char*, LabelArray> labels[] = {
      {"OLCustomLabel", &AppSettings::OLCustomLabel},
      {"GGCustomLabel", &AppSettings::GGCustomLabel}};
  for (const auto& label : labels)
    for (std::size_t i = 0; i < 9; ++i) {
      const char* prefix = label.first;
      LabelArray member = label.second;
      SettingKey key;
      key.name = prefix + std::to_string(i + 1);
      key.kind = SettingKey::kText;
      key.storedCapacity = 64;
      key.defaultText = "Custom " + std::to_string(i + 1);
      key.textField = [member, i](AppSettings& s) { return RefOf((s.*member)[i]); };
      k.push_back(std::move(key));
    }
  for (SettingKey key :
       {QM_BOOL(ACTCustom, false), QM_BOOL(GGCustom, false), QM_BOOL(LNCustom, false),
        QM_BOOL(PDCustom, false), QM_BOOL(OLCustom, false)})
    k.push_back(std::move(key));
  // Our own addition: the code page of Palm Desktop files, Windows-1252 unless set.
  k.push_back(QM_INT(PDCodePage, 1252));
  return k;
}

#undef QM_INT
#undef QM_BOOL
#undef QM_TEXT
#undef QM_ENCODED

const SettingKey* FindKey(const std::string& name) {
  for (const SettingKey& k : AppSettingKeys())
    if (k.name == name) return &k;
  return nullptr;
}

bool GateOpen(const SettingKey& key, AppSettings& s) {
  if (key.gate.empty()) return true;
  const SettingKey* gate = FindKey(key.gate);
  return gate && gate->boolField(s);
}

}  // namespace

const std::vector<SettingKey>& AppSettingKeys() {
  static const std::vector<SettingKey> keys = MakeKeys();
  return keys;
}

const std::vector<std::string>& AppSettingSaveOrder() {
  static const std::vector<std::string> order = [] {
    std::vector<std::string> o = {
        "SourceApp",       "EnableDebug",    "LogLevel",       "SyncAddr",       "SyncDate",
        "SyncTask",        "SyncNote",       "NewColor",       "DiffColor",      "SameColor",
        "LNAppName",       "LNAddrName",     "LNDateName",     "LNNoteName",     "LNSavePassword",
        "LNNeedPassword",  "LNPassword",     "LNIDFile",       "ACTPadName",     "ACTSaveUser",
        "ACTSavePassword", "ACTUserName",    "ACTPassword",    "ACTAppName",     "Opp",
        "OppNotes",        "PDUserID",       "UsePDAddrFile",  "UsePDDateFile",  "UsePDTaskFile",
        "UsePDNoteFile",   "PDAddrFileName", "PDDateFileName", "PDTaskFileName", "PDNoteFileName",
        "GGSaveEmail",     "GGEmail",        "GGSavePassword", "GGPassword",     "OLMode",
        "OLAppName",       "DNSaveOrg",      "DNSaveID",       "DNSavePassword", "DNOrg",
        "DNLiveID",        "DNPassword",     "DNAuthMode",     "DNAddrAccount",  "DNAddrContact",
        "DNAddrLead",      "SFSaveUser",     "SFSavePassword", "SFSaveToken",    "SFUserName",
        "SFPassword",      "SFToken",        "SFAddrAccount",  "SFAddrContact",  "SFAddrLead",
        "SGHostName",      "SGSaveUser",     "SGSavePassword", "SGUserName",     "SGPassword",
        "SGAddrAccount",   "SGAddrContact",  "SGAddrLead"};
    for (const char* p : {"ACTCustomID", "GGCustomID", "LNCustomID", "OLCustomID", "PDCustomID"})
      for (int i = 1; i <= 9; ++i) o.push_back(p + std::to_string(i));
    for (const char* p : {"OLCustomLabel", "GGCustomLabel"})
      for (int i = 1; i <= 9; ++i) o.push_back(p + std::to_string(i));
    for (const char* n :
         {"ACTCustom", "GGCustom", "LNCustom", "OLCustom", "PDCustom", "PDCodePage"})
      o.emplace_back(n);
    return o;
  }();
  return order;
}

AppSettings& TheAppSettings() {
  static AppSettings settings;
  return settings;
}

bool GetAppDataFolder(std::string& folder) {
  folder.clear();
  std::string base = platform::DataHome();
  if (base.empty()) return false;
  std::error_code ec;
  std::filesystem::create_directories(base, ec);  // the shell's "create" flag
  std::string korvane = base + "/korvane/";
  if (!platform::EnsureFolder(korvane)) return false;
  if (!platform::EnsureFolder(korvane + "VECommon/")) return false;
  std::string vegg = korvane + "VEGG/";
  if (!platform::EnsureFolder(vegg)) return false;
  folder = vegg;
  return true;
}

bool GetAppDataFolder(char* buffer, std::size_t capacity) {
  if (!buffer || capacity == 0) return false;
  std::string folder;
  if (!GetAppDataFolder(folder) || folder.size() >= capacity) {
    buffer[0] = '\0';
    return false;
  }
  Utf8CopyTo(buffer, capacity, folder);
  return true;
}

std::string AppSettingsPath() {
  CxIniUtil ini("", "korvane.ini");
  std::string folder;
  if (GetAppDataFolder(folder)) ini.SetPath(folder + "VEGG.ini");
  return ini.Path();
}

namespace {

// Why the process-wide load did not read the file; empty when it did.
std::string& UnreadSettingsReason() {
  static std::string reason;
  return reason;
}

std::string CutNote(const std::string& key, std::size_t kept, std::size_t had) {
  return key + ": kept " + std::to_string(kept) + " of " + std::to_string(had) + " bytes";
}

}  // namespace

SettingsLoadResult LoadAppSettings(AppSettings& s, CxIniUtil& ini) {
  SettingsLoadResult result;
  s = AppSettings();
  if (!ini.BeginBatch()) {
    result.read = false;
    result.error = "cannot read the settings file: " + ini.LastError();
  }
  for (const SettingKey& key : AppSettingKeys()) {
    switch (key.kind) {
      case SettingKey::kInt:
        key.intField(s) = ini.ReadInt(kSettingsSection, key.name, key.defaultInt);
        break;
      case SettingKey::kBool:
        key.boolField(s) = ini.ReadBool(kSettingsSection, key.name, key.defaultInt != 0);
        break;
      case SettingKey::kText:
      case SettingKey::kEncoded: {
        TextFieldRef field = key.textField(s);
        field.Assign({});
        if (!key.readWithoutGate && !GateOpen(key, s)) break;
        std::string raw = ini.ReadText(kSettingsSection, key.name, key.defaultText);
        std::string_view whole = Utf8Prefix(raw, raw.size());  // up to a NUL, as a C string
        std::string_view stored = Utf8Prefix(whole, key.storedCapacity - 1);
        if (stored.size() < whole.size())
          result.cuts.push_back(CutNote(key.name, stored.size(), whole.size()));
        std::string plain =
            key.kind == SettingKey::kEncoded ? Base64Decode(stored) : std::string(stored);
        field.Assign(plain);
        if (field.view().size() < plain.size() && key.kind == SettingKey::kEncoded)
          result.cuts.push_back(
              CutNote(key.name + " (decoded)", field.view().size(), plain.size()));
        break;
      }
    }
  }
  ini.EndBatch();
  return result;
}

bool SaveAppSettings(AppSettings& s, CxIniUtil& ini, std::string* error) {
  if (!ini.BeginBatch()) {
    ini.EndBatch();
    if (error) *error = "settings not saved: " + ini.LastError() + "; left as it is";
    return false;
  }
  for (const std::string& name : AppSettingSaveOrder()) {
    const SettingKey* key = FindKey(name);
    if (!key || key->neverWritten) continue;
    switch (key->kind) {
      case SettingKey::kInt:
        ini.WriteInt(kSettingsSection, name, key->intField(s));
        break;
      case SettingKey::kBool:
        ini.WriteBool(kSettingsSection, name, key->boolField(s));
        break;
      case SettingKey::kText:
      case SettingKey::kEncoded: {
        // A closed gate writes an empty value, so no old password or name stays behind.
        std::string value;
        if (GateOpen(*key, s)) {
          std::string_view plain = key->textField(s).view();
          value = key->kind == SettingKey::kEncoded ? Base64Encode(plain) : std::string(plain);
        }
        ini.WriteText(kSettingsSection, name, value);
        break;
      }
    }
  }
  if (ini.Commit()) return true;
  if (error) *error = "settings not saved: " + ini.LastError();
  return false;
}

SettingsLoadResult LoadAppSettings() {
  CxIniUtil ini("", "korvane.ini");
  ini.SetPath(AppSettingsPath());
  SettingsLoadResult result = LoadAppSettings(TheAppSettings(), ini);
  UnreadSettingsReason() = result.read ? std::string() : result.error;
  return result;
}

bool SaveAppSettings(std::string* error) {
  if (!UnreadSettingsReason().empty()) {
    if (error)
      *error = "settings not saved, the file was not read at start (" + UnreadSettingsReason() +
               "); left as it is";
    QM_LOG_ERROR("%s", error ? error->c_str() : UnreadSettingsReason().c_str());
    return false;
  }
  CxIniUtil ini("", "korvane.ini");
  ini.SetPath(AppSettingsPath());
  std::string why;
  if (SaveAppSettings(TheAppSettings(), ini, &why)) return true;
  QM_LOG_ERROR("%s", why.c_str());
  if (error) *error = why;
  return false;
}

void ReportSettingsLoad(const SettingsLoadResult& result) {
  if (!result.read) QM_LOG_ERROR("%s; the defaults are in use", result.error.c_str());
  for (const std::string& cut : result.cuts) QM_LOG_INFO("settings value cut: %s", cut.c_str());
}

namespace {
constexpr char kBase64Alphabet[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int Base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}
}  // namespace

std::string Base64Encode(std::string_view bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  std::size_t i = 0;
  auto at = [&](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
  for (; i + 3 <= bytes.size(); i += 3) {
    unsigned v = (at(i) << 16) | (at(i + 1) << 8) | at(i + 2);
    out += kBase64Alphabet[(v >> 18) & 63];
    out += kBase64Alphabet[(v >> 12) & 63];
    out += kBase64Alphabet[(v >> 6) & 63];
    out += kBase64Alphabet[v & 63];
  }
  if (std::size_t rest = bytes.size() - i; rest > 0) {
    unsigned v = at(i) << 16;
    if (rest == 2) v |= at(i + 1) << 8;
    out += kBase64Alphabet[(v >> 18) & 63];
    out += kBase64Alphabet[(v >> 12) & 63];
    out += rest == 2 ? kBase64Alphabet[(v >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

std::string Base64Decode(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); i += 4) {
    int vals[4];
    int n = 0;
    bool stop = false;
    for (std::size_t k = 0; k < 4 && i + k < text.size(); ++k) {
      char c = text[i + k];
      if (c == '=') {
        stop = true;
        break;
      }
      int v = Base64Value(c);
      if (v < 0) return out;  // an invalid group gives nothing
      vals[n++] = v;
    }
    if (n >= 2) out += static_cast<char>((vals[0] << 2) | (vals[1] >> 4));
    if (n >= 3) out += static_cast<char>(((vals[1] & 15) << 4) | (vals[2] >> 2));
    if (n >= 4) out += static_cast<char>(((vals[2] & 3) << 6) | vals[3]);
    if (stop || n < 4) break;
  }
  return out;
}
