#include "platform/Registry.h"
#include "platform/AsciiCase.h"
#include "platform/AtomicFile.h"
#include "platform/Utf8Append.h"

#include <sys/stat.h>

#include <cstdlib>
#include <utility>

namespace platform {
namespace {

// A Wine prefix with many programs installed has a system.reg of some tens of MB; anything far
// beyond that is not a registry file and is not read.
constexpr std::uintmax_t kMaxRegFileBytes = 256u * 1024u * 1024u;

// "\x" escapes carry at most four hex digits, octal ones at most three (Wine's own writer).
constexpr int kMaxHexEscapeDigits = 4;
constexpr int kMaxOctalEscapeDigits = 3;

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
    s.remove_suffix(1);
  }
  return s;
}

using platform::AppendUtf8;

// Joins UTF-16 code units (what Wine's escapes and regedit's hex(2) data carry) into UTF-8.
class Utf16Sink {
 public:
  explicit Utf16Sink(std::string& out) : out_(out) {}
  void Unit(char32_t u) {
    if (u >= 0xDC00 && u <= 0xDFFF && high_ != 0) {
      AppendUtf8(out_, 0x10000 + ((high_ - 0xD800) << 10) + (u - 0xDC00));
      high_ = 0;
      return;
    }
    Flush();
    if (u >= 0xD800 && u <= 0xDBFF) {
      high_ = u;
    } else {
      AppendUtf8(out_, u);
    }
  }
  void Byte(char c) {
    Flush();
    out_ += c;
  }
  void Flush() {
    if (high_ != 0) AppendUtf8(out_, 0xFFFD);
    high_ = 0;
  }

 private:
  std::string& out_;
  char32_t high_ = 0;
};

std::string Utf16LeToUtf8(std::string_view bytes) {
  std::string out;
  Utf16Sink sink(out);
  for (std::size_t i = 0; bytes.size() - i >= 2; i += 2) {
    sink.Unit(static_cast<char32_t>(static_cast<unsigned char>(bytes[i]) |
                                    (static_cast<unsigned char>(bytes[i + 1]) << 8)));
  }
  sink.Flush();
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Decodes Wine's escapes from s[start] on, up to an unescaped `quote` when one is given (`rest`
// is then what follows it) or to the end. False when the closing quote is missing.
bool Unescape(std::string_view s, std::size_t start, std::optional<char> quote, std::string& out,
              std::string_view& rest) {
  out.clear();
  Utf16Sink sink(out);
  std::size_t i = start;
  while (i < s.size()) {
    char c = s[i];
    if (quote && c == *quote) {
      sink.Flush();
      rest = s.substr(i + 1);
      return true;
    }
    if (c != '\\' || i + 1 == s.size()) {
      sink.Byte(c);
      ++i;
      continue;
    }
    char e = s[i + 1];
    i += 2;
    switch (e) {
      case 'a':
        sink.Unit(7);
        break;
      case 'b':
        sink.Unit(8);
        break;
      case 'e':
        sink.Unit(27);
        break;
      case 'f':
        sink.Unit(12);
        break;
      case 'n':
        sink.Unit('\n');
        break;
      case 'r':
        sink.Unit('\r');
        break;
      case 't':
        sink.Unit('\t');
        break;
      case 'v':
        sink.Unit(11);
        break;
      case 'x': {
        char32_t v = 0;
        int n = 0;
        while (n < kMaxHexEscapeDigits && i < s.size() && HexDigit(s[i]) >= 0) {
          v = v * 16 + static_cast<char32_t>(HexDigit(s[i]));
          ++i;
          ++n;
        }
        sink.Unit(n == 0 ? U'x' : v);
        break;
      }
      default:
        if (e >= '0' && e <= '7') {
          char32_t v = static_cast<char32_t>(e - '0');
          int n = 1;
          while (n < kMaxOctalEscapeDigits && i < s.size() && s[i] >= '0' && s[i] <= '7') {
            v = v * 8 + static_cast<char32_t>(s[i] - '0');
            ++i;
            ++n;
          }
          sink.Unit(v);
        } else {
          sink.Byte(e);
        }
    }
  }
  sink.Flush();
  rest = {};
  return !quote;
}

// A quoted string with Wine's escapes whose opening quote is at s[0].
bool ReadQuoted(std::string_view s, std::string& out, std::string_view& rest) {
  out.clear();
  if (s.empty() || s[0] != '"') return false;
  return Unescape(s, 1, '"', out, rest);
}

// "software\\\\foo\\bar\\" -> "software\foo\bar": empty components cannot name a key.
std::string NormalizePath(std::string_view path) {
  std::string out;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('\\', start);
    if (end == std::string_view::npos) end = path.size();
    if (end > start) {
      if (!out.empty()) out += '\\';
      out += FoldAscii(path.substr(start, end - start));
    }
    start = end + 1;
  }
  return out;
}

const char* RootName(RegRoot root) {
  return root == RegRoot::kLocalMachine ? "hklm" : "hkcu";
}

std::string FullKey(RegRoot root, std::string_view normalizedPath) {
  std::string key = RootName(root);
  if (!normalizedPath.empty()) {
    key += '\\';
    key += normalizedPath;
  }
  return key;
}

bool ParseHexBytes(std::string_view s, std::vector<std::uint8_t>& out) {
  out.clear();
  s = Trim(s);
  while (!s.empty()) {
    std::size_t comma = s.find(',');
    std::string_view item = Trim(s.substr(0, comma));
    if (item.size() != 2 || HexDigit(item[0]) < 0 || HexDigit(item[1]) < 0) return false;
    out.push_back(static_cast<std::uint8_t>(HexDigit(item[0]) * 16 + HexDigit(item[1])));
    if (comma == std::string_view::npos) break;
    s = s.substr(comma + 1);
  }
  return true;
}

// "hex(2):" -> 2, "hex:" -> 3 (REG_BINARY); -1 when the data is not hex.
int HexKind(std::string_view& data) {
  if (StartsWithNoCase(data, "hex:")) {
    data.remove_prefix(4);
    return 3;
  }
  if (!StartsWithNoCase(data, "hex(")) return -1;
  std::size_t close = data.find("):");
  if (close == std::string_view::npos || close == 4) return -1;
  int kind = 0;
  for (std::size_t i = 4; i < close; ++i) {
    int d = HexDigit(data[i]);
    if (d < 0 || kind > 0xFFFF) return -1;
    kind = kind * 16 + d;
  }
  data.remove_prefix(close + 2);
  return kind;
}

RegType TypeOfKind(int kind) {
  switch (kind) {
    case 1:
      return RegType::kString;
    case 2:
      return RegType::kExpandString;
    case 7:
      return RegType::kMultiString;
    case 4:
      return RegType::kDword;
    default:
      return RegType::kBinary;
  }
}

// The value after '='. False for deletions and anything not understood.
bool ParseData(std::string_view data, RegValue& value) {
  data = Trim(data);
  std::string_view rest;
  if (!data.empty() && data[0] == '"') {
    value.type = RegType::kString;
    return ReadQuoted(data, value.text, rest);
  }
  if (StartsWithNoCase(data, "str(")) {
    std::size_t close = data.find("):");
    if (close == std::string_view::npos) return false;
    std::string_view kind = data.substr(4, close - 4);
    value.type = kind == "2"   ? RegType::kExpandString
                 : kind == "7" ? RegType::kMultiString
                               : RegType::kString;
    return ReadQuoted(data.substr(close + 2), value.text, rest);
  }
  if (StartsWithNoCase(data, "dword:")) {
    std::string_view digits = Trim(data.substr(6));
    if (digits.empty() || digits.size() > 8) return false;
    std::uint32_t v = 0;
    for (char c : digits) {
      int d = HexDigit(c);
      if (d < 0) return false;
      v = v * 16 + static_cast<std::uint32_t>(d);
    }
    value.type = RegType::kDword;
    value.dword = v;
    return true;
  }
  int kind = HexKind(data);
  if (kind < 0 || !ParseHexBytes(data, value.bytes)) return false;
  value.type = TypeOfKind(kind);
  if (value.type == RegType::kString || value.type == RegType::kExpandString ||
      value.type == RegType::kMultiString) {
    std::string_view raw(reinterpret_cast<const char*>(value.bytes.data()), value.bytes.size());
    value.text = Utf16LeToUtf8(raw);
    while (!value.text.empty() && value.text.back() == '\0') value.text.pop_back();
    if (value.type != RegType::kMultiString)
      value.text = value.text.substr(0, value.text.find('\0'));
    value.bytes.clear();
  } else if (value.type == RegType::kDword) {
    if (value.bytes.size() != 4) return false;
    value.dword = static_cast<std::uint32_t>(value.bytes[0]) |
                  static_cast<std::uint32_t>(value.bytes[1]) << 8 |
                  static_cast<std::uint32_t>(value.bytes[2]) << 16 |
                  static_cast<std::uint32_t>(value.bytes[3]) << 24;
    value.bytes.clear();
  }
  return true;
}

// How one file's sections are read.
struct Dialect {
  std::optional<RegRoot> fixedRoot;  // Wine files: every key is below one root
  std::string dosDevices;            // Wine files: where drive letters live; empty for none
};

// "C:\Program Files\X\" -> "<prefix>/dosdevices/c:/Program Files/X/".
std::string MapDrivePath(const std::string& text, const std::string& dosDevices) {
  if (dosDevices.empty() || text.size() < 3 || text[1] != ':' || text[2] != '\\') return text;
  char drive = FoldAscii(text[0]);
  if (drive < 'a' || drive > 'z') return text;
  std::string out = dosDevices;
  out += drive;
  out += ":/";
  for (std::size_t i = 3; i < text.size(); ++i) out += text[i] == '\\' ? '/' : text[i];
  return out;
}

// The key a header names, or nullopt for a root we do not keep (or a deletion).
std::optional<std::pair<RegRoot, std::string>> ParseHeader(std::string_view line,
                                                           const Dialect& dialect) {
  std::size_t i = 1;
  while (i < line.size() && line[i] != ']') i += line[i] == '\\' ? 2u : 1u;
  if (i >= line.size()) return std::nullopt;
  std::string_view raw = line.substr(1, i - 1);
  if (dialect.fixedRoot) {
    std::string unescaped;
    std::string_view rest;
    Unescape(raw, 0, std::nullopt, unescaped, rest);
    return std::make_pair(*dialect.fixedRoot, NormalizePath(unescaped));
  }
  static constexpr std::pair<std::string_view, RegRoot> kRoots[] = {
      {"HKEY_LOCAL_MACHINE", RegRoot::kLocalMachine},
      {"HKLM", RegRoot::kLocalMachine},
      {"HKEY_CURRENT_USER", RegRoot::kCurrentUser},
      {"HKCU", RegRoot::kCurrentUser},
  };
  for (const auto& [name, root] : kRoots) {
    if (!StartsWithNoCase(raw, name)) continue;
    std::string_view after = raw.substr(name.size());
    if (!after.empty() && after[0] != '\\') continue;
    return std::make_pair(root, NormalizePath(after));
  }
  return std::nullopt;
}

void ParseInto(std::string_view text, const Dialect& dialect, MemoryRegistry& into, bool* win64) {
  std::string storage;
  if (text.size() >= 2 && static_cast<unsigned char>(text[0]) == 0xFF &&
      static_cast<unsigned char>(text[1]) == 0xFE) {
    storage = Utf16LeToUtf8(text.substr(2));  // regedit's own export
    text = storage;
  } else if (text.substr(0, 3) == "\xEF\xBB\xBF") {
    text.remove_prefix(3);
  }
  std::optional<std::pair<RegRoot, std::string>> section;
  std::size_t pos = 0;
  std::string joined;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = Trim(text.substr(pos, end - pos));
    pos = end + 1;
    // Long hex data continues on the next line after a trailing backslash.
    if (!line.empty() && (line[0] == '"' || line[0] == '@') && line.back() == '\\') {
      joined.assign(line.substr(0, line.size() - 1));
      while (pos < text.size()) {
        end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view next = Trim(text.substr(pos, end - pos));
        pos = end + 1;
        bool more = !next.empty() && next.back() == '\\';
        joined.append(more ? next.substr(0, next.size() - 1) : next);
        if (!more) break;
      }
      line = joined;
    }
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '#') {
      if (win64 && line == "#arch=win64") *win64 = true;
      continue;
    }
    if (line[0] == '[') {
      section = ParseHeader(line, dialect);
      if (section) into.AddKey(section->first, section->second);
      continue;
    }
    if (!section) continue;
    std::string name;
    std::string_view rest;
    if (line[0] == '@') {
      rest = line.substr(1);
    } else if (!ReadQuoted(line, name, rest)) {
      continue;
    }
    rest = Trim(rest);
    if (rest.empty() || rest[0] != '=') continue;
    RegValue value;
    if (!ParseData(rest.substr(1), value)) continue;
    if (value.type == RegType::kString || value.type == RegType::kExpandString) {
      value.text = MapDrivePath(value.text, dialect.dosDevices);
    }
    into.SetValue(section->first, section->second, name, std::move(value));
  }
}

struct FileStamp {
  bool exists = false;
  std::uintmax_t size = 0;
  long long mtimeNs = 0;
  unsigned long long inode = 0;
  friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

FileStamp StampOf(const std::string& path) {
  FileStamp stamp;
  struct stat st {};
  if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return stamp;
  stamp.exists = true;
  stamp.size = static_cast<std::uintmax_t>(st.st_size);
  stamp.mtimeNs = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
  stamp.inode = static_cast<unsigned long long>(st.st_ino);
  return stamp;
}

bool ReadWholeFile(const std::string& path, const FileStamp& stamp, std::string& out) {
  out.clear();
  if (!stamp.exists || stamp.size > kMaxRegFileBytes) return false;
  return platform::ReadWholeFile(path, out, kMaxRegFileBytes);
}

std::string EnvValue(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

}  // namespace

// --- RegKey ---

bool RegKey::QueryValue(std::string_view name, RegValue& out) const {
  auto it = values_.find(FoldAscii(name == "@" ? std::string_view() : name));
  if (it == values_.end()) return false;
  out = it->second;
  return true;
}

bool RegKey::QueryText(std::string_view name, std::string& out) const {
  out.clear();
  RegValue value;
  if (!QueryValue(name, value)) return false;
  if (value.type != RegType::kString && value.type != RegType::kExpandString &&
      value.type != RegType::kMultiString) {
    return false;
  }
  out = std::move(value.text);
  return true;
}

void RegKey::SetValue(std::string_view name, RegValue value) {
  values_[FoldAscii(name == "@" ? std::string_view() : name)] = std::move(value);
}

void RegKey::Overlay(const RegKey& other) {
  for (const auto& [name, value] : other.values_) values_[name] = value;
}

// --- MemoryRegistry ---

std::optional<RegKey> MemoryRegistry::OpenKey(RegRoot root, std::string_view path) const {
  std::string normalized = NormalizePath(path);
  auto it = keys_.find(FullKey(root, normalized));
  if (it != keys_.end()) return it->second;
  if (normalized.empty()) return RegKey{};  // the roots always open
  return std::nullopt;
}

void MemoryRegistry::AddKey(RegRoot root, std::string_view path) {
  std::string normalized = NormalizePath(path);
  keys_.try_emplace(FullKey(root, {}));
  // Every key above a stored key exists too, as it would in the registry.
  for (std::size_t cut = 0; cut != std::string::npos;) {
    cut = normalized.find('\\', cut == 0 ? 0 : cut + 1);
    keys_.try_emplace(FullKey(root, normalized.substr(0, cut)));
  }
}

void MemoryRegistry::SetValue(RegRoot root, std::string_view path, std::string_view name,
                              RegValue value) {
  std::string full = FullKey(root, NormalizePath(path));
  auto it = keys_.find(full);
  if (it == keys_.end()) {
    AddKey(root, path);
    it = keys_.find(full);
  }
  it->second.SetValue(name, std::move(value));
}

void MemoryRegistry::SetText(RegRoot root, std::string_view path, std::string_view name,
                             std::string text) {
  RegValue value;
  value.text = std::move(text);
  SetValue(root, path, name, std::move(value));
}

void MemoryRegistry::ParseRegText(std::string_view text) {
  ParseInto(text, Dialect{}, *this, nullptr);
}

// --- FileRegistry ---

struct FileRegistry::Cached {
  FileStamp system, user, seed;
  MemoryRegistry wine;
  MemoryRegistry seeded;
  bool win64 = false;
};

FileRegistry::FileRegistry(std::string winePrefix, std::string seedFile)
    : winePrefix_(WithoutTrailingSlash(std::move(winePrefix))), seedFile_(std::move(seedFile)) {}

std::shared_ptr<const FileRegistry::Cached> FileRegistry::Load() const {
  std::string systemReg = winePrefix_.empty() ? std::string() : winePrefix_ + "/system.reg";
  std::string userReg = winePrefix_.empty() ? std::string() : winePrefix_ + "/user.reg";
  FileStamp system = StampOf(systemReg), user = StampOf(userReg), seed = StampOf(seedFile_);

  std::lock_guard<std::mutex> guard(lock_);
  if (cache_ && cache_->system == system && cache_->user == user && cache_->seed == seed) {
    return cache_;
  }
  auto fresh = std::make_shared<Cached>();
  fresh->system = system;
  fresh->user = user;
  fresh->seed = seed;
  std::string text;
  std::string dosDevices = winePrefix_ + "/dosdevices/";
  if (ReadWholeFile(systemReg, system, text)) {
    ParseInto(text, Dialect{RegRoot::kLocalMachine, dosDevices}, fresh->wine, &fresh->win64);
  }
  if (ReadWholeFile(userReg, user, text)) {
    ParseInto(text, Dialect{RegRoot::kCurrentUser, dosDevices}, fresh->wine, nullptr);
  }
  if (ReadWholeFile(seedFile_, seed, text)) fresh->seeded.ParseRegText(text);
  cache_ = fresh;
  return cache_;
}

std::optional<RegKey> FileRegistry::OpenKey(RegRoot root, std::string_view path) const {
  auto cached = Load();
  std::optional<RegKey> wine;
  // Our lookups are those of a 32-bit program: on a 64-bit prefix, HKLM\Software is seen
  // through Wow6432Node first, where 32-bit installers write.
  std::string normalized = NormalizePath(path);
  if (cached->win64 && root == RegRoot::kLocalMachine && StartsWithNoCase(normalized, "software") &&
      (normalized.size() == 8 || normalized[8] == '\\') &&
      !StartsWithNoCase(normalized, "software\\wow6432node")) {
    wine = cached->wine.OpenKey(root, "software\\wow6432node" + normalized.substr(8));
  }
  if (!wine) wine = cached->wine.OpenKey(root, normalized);
  std::optional<RegKey> seeded = cached->seeded.OpenKey(root, normalized);
  if (!seeded) return wine;
  if (!wine) return seeded;
  wine->Overlay(*seeded);
  return wine;
}

// --- process-wide store ---

std::string DefaultWinePrefix() {
  std::string prefix = EnvValue("WINEPREFIX");
  if (!prefix.empty()) return WithoutTrailingSlash(prefix);
  std::string home = EnvValue("HOME");
  return home.empty() ? std::string() : WithoutTrailingSlash(home) + "/.wine";
}

std::string DefaultRegistrySeedFile() {
  std::string config = EnvValue("XDG_CONFIG_HOME");
  if (config.empty() || config.front() != '/') {
    std::string home = EnvValue("HOME");
    if (home.empty()) return {};
    config = WithoutTrailingSlash(home) + "/.config";
  }
  return WithoutTrailingSlash(config) + "/quillmove/registry.reg";
}

namespace {

struct ProcessRegistry {
  std::mutex lock;
  std::shared_ptr<const Registry> installed;
  std::shared_ptr<const Registry> fallback;
  std::optional<std::string> seedFile;
};

ProcessRegistry& Process() {
  static ProcessRegistry state;
  return state;
}

}  // namespace

void SetRegistrySeedFile(std::string path) {
  ProcessRegistry& p = Process();
  std::lock_guard<std::mutex> guard(p.lock);
  p.seedFile = std::move(path);
  p.fallback.reset();
}

std::shared_ptr<const Registry> CurrentRegistry() {
  ProcessRegistry& p = Process();
  std::lock_guard<std::mutex> guard(p.lock);
  if (p.installed) return p.installed;
  if (!p.fallback) {
    p.fallback = std::make_shared<FileRegistry>(DefaultWinePrefix(),
                                                p.seedFile.value_or(DefaultRegistrySeedFile()));
  }
  return p.fallback;
}

void SetRegistry(std::shared_ptr<const Registry> registry) {
  ProcessRegistry& p = Process();
  std::lock_guard<std::mutex> guard(p.lock);
  p.installed = std::move(registry);
}

}  // namespace platform
