#include "misc/WinUtil.h"
#include "platform/Utf8Append.h"

#include <dlfcn.h>
#include <link.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <tuple>

#include "misc/CxDateTime.h"
#include "misc/PeVersion.h"
#include "misc/Utf8.h"
#include "platform/PlatformPaths.h"
#include "platform/Registry.h"
#include "platform/ShellOpen.h"

using platform::RegRoot;

namespace {

constexpr std::string_view kNotesKey = "SOFTWARE\\Lotus\\Notes";
constexpr std::string_view kNotesInstallerKey = "SOFTWARE\\Lotus\\Notes\\Installer";
constexpr std::string_view kActKey = "SOFTWARE\\ACT\\Install";
constexpr std::string_view kOutlookKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\OUTLOOK.EXE";

// The debug log of the Palm readers shows this much of a record; more only floods the log.
constexpr std::size_t kHexDumpMaxBytes = 1024;

bool Clear(char* out, std::size_t size) {
  if (!out || size == 0) return false;
  out[0] = '\0';
  return true;
}

// Whole or nothing: a registry read into a short buffer fails rather than return part of a path.
bool CopyWhole(std::string_view text, char* out, std::size_t size) {
  if (!Clear(out, size)) return false;
  text = text.substr(0, text.find('\0'));
  if (text.size() >= size) return false;
  std::memcpy(out, text.data(), text.size());
  out[text.size()] = '\0';
  return true;
}

bool ReadRegText(RegRoot root, std::string_view key, std::string_view name, std::string& out) {
  out.clear();
  auto registry = platform::CurrentRegistry();
  auto opened = registry->OpenKey(root, key);
  if (!opened || !opened->QueryText(name, out)) return false;
  out = out.substr(0, out.find('\0'));
  return true;
}

bool EndsWithSeparator(const std::string& path) {
  return !path.empty() && (path.back() == '/' || path.back() == '\\');
}

// Seed values may be Windows paths as written; keep to the separator the path already uses.
void AppendSeparator(std::string& path) {
  if (EndsWithSeparator(path)) return;
  bool backslashesOnly =
      path.find('\\') != std::string::npos && path.find('/') == std::string::npos;
  path += backslashesOnly ? '\\' : '/';
}

bool VersionText(const std::string& path, std::string& out) {
  int major = 0, minor = 0, build = 0, revision = 0;
  if (!GetFileVersion(path, major, minor, build, revision)) return false;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%d.%d.%d.%d", major, minor, build, revision);
  out = buf;
  return true;
}

bool OutlookPath(std::string& out) {
  if (!ReadRegText(RegRoot::kLocalMachine, kOutlookKey, "Path", out)) return false;
  out += "OUTLOOK.EXE";
  return true;
}

bool NotesProgramFolder(std::string& out) {
  return ReadRegText(RegRoot::kLocalMachine, kNotesKey, "Path", out);
}

using platform::AppendUtf8;

// Decodes one character at s[i] and advances i. An ill-formed sequence gives U+FFFD for its
// longest valid start (at least one byte), as Unicode recommends.
char32_t DecodeUtf8(const unsigned char* s, std::size_t& i) {
  unsigned char lead = s[i++];
  if (lead < 0x80) return lead;
  int more = 0;
  char32_t cp = 0;
  unsigned char lo = 0x80, hi = 0xBF;  // allowed range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    more = 1;
    cp = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    more = 2;
    cp = lead & 0x0F;
    if (lead == 0xE0) lo = 0xA0;  // overlong
    if (lead == 0xED) hi = 0x9F;  // surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    more = 3;
    cp = lead & 0x07;
    if (lead == 0xF0) lo = 0x90;  // overlong
    if (lead == 0xF4) hi = 0x8F;  // beyond U+10FFFF
  } else {
    return 0xFFFD;
  }
  for (int k = 0; k < more; ++k) {
    unsigned char c = s[i];  // a NUL ends the text and is never a continuation byte
    unsigned char min = k == 0 ? lo : 0x80, max = k == 0 ? hi : 0xBF;
    if (c < min || c > max) return 0xFFFD;
    cp = (cp << 6) | (c & 0x3F);
    ++i;
  }
  return cp;
}

}  // namespace

bool GetModuleFolder(void* module, char* out, std::size_t size) {
  if (!Clear(out, size)) return false;
  std::string folder;
  link_map* map = nullptr;
  if (module && ::dlinfo(module, RTLD_DI_LINKMAP, &map) == 0 && map && map->l_name &&
      map->l_name[0] != '\0') {
    std::string path = map->l_name;
    auto slash = path.rfind('/');
    folder = slash == std::string::npos ? "./" : path.substr(0, slash + 1);
  } else {
    folder = platform::ExecutableFolder();  // the program itself ("" in the link map)
  }
  return CopyWhole(folder, out, size);
}

int GetOsVersionClass() {
  return -1;
}

bool DateTextOrNA(OleDate date, char* out, std::size_t size) {
  if (!Clear(out, size)) return false;
  std::string text = date.value >= 0.001 ? CxDateTime(date).DateText() : "N/A";
  Utf8CopyTo(out, size, text);
  return true;
}

bool TimeTextOrNA(OleDate date, char* out, std::size_t size) {
  if (!Clear(out, size)) return false;
  std::string text = date.value >= 0.001 ? CxDateTime(date).TimeText() : "N/A";
  Utf8CopyTo(out, size, text);
  return true;
}

int CompareDates(const SYSTEMTIME* a, const SYSTEMTIME* b) {
  if (!a) return -1;
  if (!b) return 1;
  auto ka = std::tie(a->wYear, a->wMonth, a->wDay);
  auto kb = std::tie(b->wYear, b->wMonth, b->wDay);
  return ka < kb ? -1 : kb < ka ? 1 : 0;
}

bool CopyDate(const SYSTEMTIME* source, SYSTEMTIME* destination) {
  if (!source || !destination) return false;
  destination->wYear = source->wYear;
  destination->wMonth = source->wMonth;
  destination->wDay = source->wDay;
  destination->wDayOfWeek = source->wDayOfWeek;
  return true;
}

bool GetFileVersion(std::string_view path, int& major, int& minor, int& build, int& revision) {
  major = minor = build = revision = 0;
  if (path.empty()) return false;
  auto version = ReadPeFileVersionFromFile(std::string(path));
  if (!version) return false;
  major = version->major;
  minor = version->minor;
  build = version->build;
  revision = version->revision;
  return true;
}

bool GetNotesProgramFolder(char* out, std::size_t size) {
  std::string folder;
  return Clear(out, size) && NotesProgramFolder(folder) && CopyWhole(folder, out, size);
}

bool GetNotesDataFolder(char* out, std::size_t size) {
  std::string folder;
  if (!Clear(out, size) ||
      !ReadRegText(RegRoot::kCurrentUser, kNotesInstallerKey, "DATADIR", folder) ||
      folder.empty()) {
    return false;
  }
  AppendSeparator(folder);
  return CopyWhole(folder, out, size);
}

bool GetNotesVersion(char* out, std::size_t size) {
  std::string folder, version;
  // An empty folder would send us to Notes.exe at the root of the file system.
  if (!Clear(out, size) || !NotesProgramFolder(folder) || folder.empty()) return false;
  AppendSeparator(folder);
  return VersionText(folder + "Notes.exe", version) && CopyWhole(version, out, size);
}

bool GetActInstallPath(char* out, std::size_t size) {
  std::string path;
  return Clear(out, size) && ReadRegText(RegRoot::kLocalMachine, kActKey, "InstallPath", path) &&
         CopyWhole(path, out, size);
}

bool GetActAppName(char* out, std::size_t size) {
  std::string name;
  return Clear(out, size) && ReadRegText(RegRoot::kLocalMachine, kActKey, "AppName", name) &&
         CopyWhole(name, out, size);
}

bool GetActProgramPath(char* out, std::size_t size) {
  std::string path, name;
  if (!Clear(out, size) || !ReadRegText(RegRoot::kLocalMachine, kActKey, "InstallPath", path) ||
      !ReadRegText(RegRoot::kLocalMachine, kActKey, "AppName", name) || path.empty() ||
      name.empty()) {
    return false;
  }
  AppendSeparator(path);
  return CopyWhole(path + name, out, size);
}

bool GetOutlookVersion(char* out, std::size_t size) {
  std::string path, version;
  return Clear(out, size) && OutlookPath(path) && VersionText(path, version) &&
         CopyWhole(version, out, size);
}

bool GetOutlookProgramPath(char* out, std::size_t size) {
  std::string path;
  if (!Clear(out, size) || !OutlookPath(path)) return false;
  Utf8CopyTo(out, size, path);
  return true;
}

bool OpenWithShell(std::string_view target) {
  return !target.empty() && platform::ShellOpen(std::string(target));
}

const char* HexDump(const void* bytes, std::size_t length) {
  static thread_local std::string text;
  text.clear();
  if (!bytes || length == 0) return text.c_str();
  static constexpr char kDigits[] = "0123456789abcdef";
  const auto* p = static_cast<const unsigned char*>(bytes);
  std::size_t n = std::min(length, kHexDumpMaxBytes);
  for (std::size_t i = 0; i < n; ++i) {
    if (i > 0) text += ' ';
    text += kDigits[p[i] >> 4];
    text += kDigits[p[i] & 0x0F];
  }
  return text.c_str();
}

std::size_t ToNarrow(const wchar_t* text, char* out, std::size_t size) {
  if (!out || size == 0) return 0;
  std::size_t written = 0;
  std::string one;
  for (const wchar_t* p = text; p && *p != L'\0'; ++p) {
    one.clear();
    AppendUtf8(one, static_cast<char32_t>(*p));
    if (size - 1 - written < one.size()) break;
    std::memcpy(out + written, one.data(), one.size());
    written += one.size();
  }
  out[written] = '\0';
  out[size - 1] = '\0';
  return written;
}

std::size_t ToWide(const char* text, wchar_t* out, std::size_t size) {
  if (!out || size == 0) return 0;
  std::size_t written = 0;
  const auto* s = reinterpret_cast<const unsigned char*>(text);
  std::size_t i = 0;
  while (s && s[i] != 0 && written < size - 1) {
    out[written++] = static_cast<wchar_t>(DecodeUtf8(s, i));
  }
  out[written] = L'\0';
  out[size - 1] = L'\0';
  return written;
}
