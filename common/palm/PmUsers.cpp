#include "palm/PmUsers.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>

#include "misc/CxDebugUtil.h"
#include "misc/CxIniUtil.h"
#include "misc/UserPrompt.h"
#include "misc/Utf8.h"
#include "misc/WinUtil.h"
#include "palm/PmSourceBase.h"
#include "platform/AsciiCase.h"
#include "platform/AtomicFile.h"
#include "platform/Registry.h"

namespace {

// Users.dat lists a handful of users; anything near this is not a Users.dat.
constexpr std::size_t kMaxUsersDatBytes = 16u << 20;
constexpr std::size_t kMaxUserName = 63;
constexpr std::size_t kMaxUserDirectory = 255;
// Longer names are cut to kMaxUserName; longer than this is not a name.
constexpr std::size_t kMaxPlausibleName = 4096;
// MFC archive tags: a new class follows, or a reference to class number (tag & 0x7FFF).
constexpr std::uint16_t kNewClassTag = 0xFFFF;
constexpr std::uint16_t kClassTagBit = 0x8000;

class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> b, std::size_t pos = 0) : b_(b), pos_(pos) {}
  bool Has(std::size_t n) const { return b_.size() - pos_ >= n; }
  std::size_t Pos() const { return pos_; }
  bool U8(std::uint8_t& v) {
    if (!Has(1)) return false;
    v = b_[pos_++];
    return true;
  }
  bool U16(std::uint16_t& v) {
    if (!Has(2)) return false;
    v = static_cast<std::uint16_t>(b_[pos_] | (b_[pos_ + 1] << 8));
    pos_ += 2;
    return true;
  }
  bool U32(std::uint32_t& v) {
    std::uint16_t lo, hi;
    if (!U16(lo) || !U16(hi)) return false;
    v = lo | (static_cast<std::uint32_t>(hi) << 16);
    return true;
  }
  bool Bytes(std::size_t n, std::string& out) {
    if (!Has(n)) return false;
    out.assign(reinterpret_cast<const char*>(b_.data() + pos_), n);
    pos_ += n;
    return true;
  }
  // An MFC CString: a byte length, 0xFF then a 16-bit length, 0xFFFF then a 32-bit length.
  bool CString(std::string& out) {
    std::uint8_t l8;
    if (!U8(l8)) return false;
    std::uint32_t len = l8;
    if (l8 == 0xFF) {
      std::uint16_t l16;
      if (!U16(l16)) return false;
      len = l16;
      if (l16 == 0xFFFF && !U32(len)) return false;
    }
    return Bytes(len, out);
  }

 private:
  std::span<const std::uint8_t> b_;
  std::size_t pos_;
};

bool Plausible(const std::string& text, std::size_t max) {
  if (text.empty() || text.size() > max) return false;
  for (char ch : text) {
    auto c = static_cast<unsigned char>(ch);
    if (c < 0x20 || c == '/' || c == '\\') return false;
  }
  return true;
}

// A user folder must be one path component inside the Palm Desktop folder.
bool OneComponent(const std::string& folder) {
  return Plausible(folder, kMaxUserDirectory) && folder != "." && folder != "..";
}

// Texts that look like an entry's name and folder, whether or not the entry can be used: so
// that a bad entry is recognised, and skipped, rather than taken for conduit settings.
bool Printable(const std::string& text) {
  return !text.empty() && text.size() <= 0xFFFF &&
         std::none_of(text.begin(), text.end(),
                      [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

enum class Entry : std::uint8_t { kNone, kBad, kGood };

// One user entry's leading fields; the rest (conduit settings) is not needed.
Entry ReadUser(Reader& r, PmUser& u) {
  std::uint32_t id;
  if (!r.U32(id) || !r.CString(u.UserName) || !r.CString(u.UserDirectory)) return Entry::kNone;
  u.UserID = static_cast<std::int32_t>(id);
  if (!Printable(u.UserName) || !Printable(u.UserDirectory)) return Entry::kNone;
  return Plausible(u.UserName, kMaxPlausibleName) && OneComponent(u.UserDirectory) ? Entry::kGood
                                                                                   : Entry::kBad;
}

std::vector<std::string> SubFolders(const std::string& folder) {
  std::vector<std::string> names;
  std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
  if (!dir) return names;
  while (dirent* e = readdir(dir.get())) {
    std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    struct stat st {};
    if (stat((folder + name).c_str(), &st) == 0 && S_ISDIR(st.st_mode)) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

// The entry of `folder` whose name matches `name` without regard to case, if there is one.
std::optional<std::string> FindNoCase(const std::string& folder, const std::string& name) {
  std::string path = PmEntryNoCase(folder, name);
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return std::nullopt;
  return path.substr(path.find_last_of('/') + 1);
}

// Users without a Users.dat: every sub-folder holding a database folder. The id is a hash of the
// folder name, so it stays the same from run to run and a stored user id keeps working.
std::vector<PmUser> UsersFromFolders(const std::string& folder) {
  std::vector<PmUser> users;
  for (const std::string& sub : SubFolders(folder)) {
    bool hasDatabase = false;
    for (const char* db : {"address", "datebook", "todo", "memopad"})
      hasDatabase = hasDatabase || FindNoCase(folder + sub + "/", db).has_value();
    if (!hasDatabase || sub.size() > kMaxUserDirectory) continue;
    std::uint32_t h = 2166136261u;
    for (char c : platform::FoldAscii(sub)) h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
    auto id = static_cast<std::int32_t>((h & 0x7FFFFFFF) | 0x100);  // below 256 is reserved
    while (std::any_of(users.begin(), users.end(), [&](const PmUser& u) { return u.UserID == id; }))
      id = (id == 0x7FFFFFFF) ? 0x100 : id + 1;
    users.push_back({id, std::string(Utf8Prefix(sub, kMaxUserName)), sub});
  }
  return users;
}

int CopyOut(const std::string& text, char* buffer, std::int16_t& size) {
  if (!buffer || size <= 0) return -1;
  auto capacity = static_cast<std::size_t>(size);
  size = static_cast<std::int16_t>(Utf8CopyTo(buffer, capacity, text));
  return 0;
}

std::string WithSeparator(std::string path) {
  if (!path.empty() && path.back() != '/') path += '/';
  return path;
}

}  // namespace

bool ParseUsersDat(std::span<const std::uint8_t> bytes, std::vector<PmUser>& users) {
  users.clear();
  Reader r(bytes);
  std::uint16_t count, tag;
  if (!r.U16(count) || !r.U16(tag) || tag != kNewClassTag) return false;
  std::uint16_t schema, nameLength;
  std::string className;
  if (!r.U16(schema) || !r.U16(nameLength) || !r.Bytes(nameLength, className) ||
      className != "CUser")
    return false;
  // The class just read is number 1 of the archive; later users refer back to it.
  const std::uint16_t userTag = kClassTagBit | 1;
  std::size_t skipped = 0;
  for (std::uint16_t i = 0; i < count; ++i) {
    PmUser u;
    Entry entry = Entry::kNone;
    if (i == 0) {
      entry = ReadUser(r, u);
      if (entry == Entry::kNone) return false;
    } else {
      // The previous user's conduit settings are skipped by finding the next entry that reads
      // as a user; the scan is bounded by the file.
      for (std::size_t p = r.Pos(); entry == Entry::kNone && bytes.size() - p >= 2; ++p) {
        if ((bytes[p] | (bytes[p + 1] << 8)) != userTag) continue;
        Reader probe(bytes, p + 2);
        entry = ReadUser(probe, u);
        if (entry != Entry::kNone) r = probe;
      }
      if (entry == Entry::kNone) return false;
    }
    // One bad entry costs only that user, not the whole list.
    if (entry == Entry::kBad) {
      ++skipped;
      QM_LOG_ERROR("Palm Desktop user %u is skipped: its name or folder cannot be used.",
                   static_cast<unsigned>(u.UserID));
      continue;
    }
    u.UserName = std::string(Utf8Prefix(u.UserName, kMaxUserName));
    users.push_back(std::move(u));
  }
  return skipped == 0;
}

PmUserLibrary::PmUserLibrary(std::string folder) : folder_(WithSeparator(std::move(folder))) {
  struct stat st {};
  if (stat(folder_.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return;
  if (auto name = FindNoCase(folder_, "users.dat")) {
    std::string bytes;
    if (platform::ReadWholeFile(folder_ + *name, bytes) && bytes.size() <= kMaxUsersDatBytes) {
      auto span = std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
      bool complete = ParseUsersDat(span, users_);
      if (!complete)
        QM_LOG_ERROR("Palm Desktop user list %s is damaged; %zu users read.", name->c_str(),
                     users_.size());
      fromUsersDat_ = !users_.empty() || complete;
    }
  }
  if (!fromUsersDat_) users_ = UsersFromFolders(folder_);
  found_ = fromUsersDat_ || !users_.empty();
}

const PmUser* PmUserLibrary::Find(std::int32_t id) const {
  for (const PmUser& u : users_)
    if (u.UserID == id) return &u;
  return nullptr;
}

std::int16_t PmUserLibrary::UmGetUserCount() const {
  if (!found_) return kNoLibrary;
  return static_cast<std::int16_t>(std::min<std::size_t>(users_.size(), 0x7FFF));
}

int PmUserLibrary::UmGetUserID(std::int16_t index, std::int32_t& id) const {
  if (index < 0 || static_cast<std::size_t>(index) >= users_.size()) return -1;
  id = users_[static_cast<std::size_t>(index)].UserID;
  return 0;
}

int PmUserLibrary::UmGetUserName(std::int32_t id, char* buffer, std::int16_t& size) const {
  const PmUser* u = Find(id);
  return u ? CopyOut(u->UserName, buffer, size) : -1;
}

int PmUserLibrary::UmGetUserDirectory(std::int32_t id, char* buffer, std::int16_t& size) const {
  const PmUser* u = Find(id);
  return u ? CopyOut(u->UserDirectory, buffer, size) : -1;
}

int PmUserLibrary::UmGetRootDirectory(char* buffer, std::int16_t& size) const {
  if (!found_ || !buffer || size <= 0 || folder_.size() >= static_cast<std::size_t>(size)) return 0;
  return CopyOut(folder_, buffer, size) == 0 ? 1 : 0;
}

// ---- process-wide discovery

namespace {

struct PalmState {
  std::unique_ptr<PmUserLibrary> userData;
  std::vector<PmUser> users;
  bool discovered = false;
};

PalmState& State() {
  static PalmState state;
  return state;
}

}  // namespace

int GetPalmDesktopFolder(std::string& folder) {
  folder.clear();
  CxIniUtil beside("", "korvane.ini");
  std::string byHand = beside.ReadText("Path", "PDPath");
  if (!byHand.empty()) {
    folder = WithSeparator(byHand);
    return 0;
  }
  auto registry = platform::CurrentRegistry();
  auto key = registry->OpenKey(platform::RegRoot::kCurrentUser,
                               "Software\\U.S. Robotics\\Pilot Desktop\\Core");
  if (!key)
    key =
        registry->OpenKey(platform::RegRoot::kLocalMachine, "Software\\PalmSource\\Desktop\\Core");
  if (!key) return -101;
  std::string value;
  if (key->QueryText("DesktopPath", value) && !value.empty()) {
    folder = WithSeparator(value);
    return 0;
  }
  if (!key->QueryText("HotSyncPath", value) || value.empty()) return -101;
  auto slash = value.find_last_of("/\\");
  if (slash == std::string::npos) return -101;
  folder = value.substr(0, slash + 1);
  return 0;
}

int GetPalmDesktopFolder(char* buffer, std::size_t size) {
  if (!buffer || size == 0) return -100;
  std::string folder;
  if (int rc = GetPalmDesktopFolder(folder); rc != 0) {
    buffer[0] = '\0';
    return rc;
  }
  if (folder.size() >= size) {
    buffer[0] = '\0';
    return -102;
  }
  std::memcpy(buffer, folder.c_str(), folder.size() + 1);
  return 0;
}

std::uint32_t GetPalmDesktopVersion() {
  std::string folder;
  if (GetPalmDesktopFolder(folder) != 0) return 0xFFFFFFFF;
  auto exe = FindNoCase(folder, "palm.exe");
  int major, minor, build, revision;
  if (!exe || !GetFileVersion(folder + *exe, major, minor, build, revision)) return 0xFFFFFFFF;
  return static_cast<std::uint32_t>(major) * 10000u + static_cast<std::uint32_t>(minor) * 100u +
         static_cast<std::uint32_t>(build);
}

bool LoadPalmLibraries(unsigned flags, const std::string& folder) {
  for (unsigned lib : {kLibCondMgr, kLibUserData, kLibHsApi, kLibInstAide}) {
    if (!(flags & lib)) continue;
    if (lib == kLibUserData) State().userData.reset();
    std::string palmFolder;
    if (GetPalmDesktopFolder(palmFolder) != 0) return false;
    // Only the user library is ever called; the others have nothing to bind here.
    if (lib == kLibUserData)
      State().userData = std::make_unique<PmUserLibrary>(folder.empty() ? palmFolder : folder);
  }
  return true;
}

void UnloadPalmLibraries() {
  State().userData.reset();
}

void DiscoverPalmUsers() {
  PalmState& s = State();
  if (s.discovered) return;
  std::string folder;
  if (GetPalmDesktopFolder(folder) != 0) return;
  LoadPalmLibraries(kLibCondMgr | kLibUserData | kLibHsApi | kLibInstAide);
  s.users.clear();
  std::int16_t n = s.userData ? s.userData->UmGetUserCount() : PmUserLibrary::kNoLibrary;
  if (n < 0) {
    TheUserPrompt().ShowMessage("Error", "Can not find any Palm users in your desktop environment.",
                                UserPrompt::kError);
  }
  for (std::int16_t i = 0; i < n; ++i) {
    PmUser u;
    s.userData->UmGetUserID(i, u.UserID);
    char name[64], dir[256];
    std::int16_t nameSize = sizeof name, dirSize = sizeof dir;
    if (s.userData->UmGetUserName(u.UserID, name, nameSize) == 0) u.UserName = name;
    if (s.userData->UmGetUserDirectory(u.UserID, dir, dirSize) == 0) u.UserDirectory = dir;
    s.users.push_back(std::move(u));
  }
  s.discovered = true;
}

const std::vector<PmUser>& PalmUsers() {
  return State().users;
}

bool GetUserDataFolder(std::int32_t userId, char* buffer, std::int16_t& size) {
  const PmUserLibrary* lib = State().userData.get();
  if (!lib || !buffer || size <= 0) return false;
  std::vector<char> root(static_cast<std::size_t>(size)), sub(static_cast<std::size_t>(size));
  std::int16_t rootSize = size;
  if (lib->UmGetRootDirectory(root.data(), rootSize) == 0) return false;
  std::int16_t subSize = size;
  // An unknown user has no folder; the loaders report it with their own messages.
  if (lib->UmGetUserDirectory(userId, sub.data(), subSize) != 0) return false;
  // The library's folder names come from a file; one that climbs out is no user folder.
  if (!OneComponent(sub.data())) return false;
  // Folders copied from Windows keep whatever case they had.
  std::string folder = PmEntryNoCase(root.data(), sub.data()) + "/";
  if (folder.size() >= static_cast<std::size_t>(size)) return false;
  std::memcpy(buffer, folder.c_str(), folder.size() + 1);
  size = static_cast<std::int16_t>(folder.size());
  return true;
}

bool GetUserDataFolder(std::int32_t userId, std::string& folder) {
  char buf[1024];
  std::int16_t size = sizeof buf;
  folder.clear();
  if (!GetUserDataFolder(userId, buf, size)) return false;
  folder = buf;
  return true;
}

void ResetPalmUsers() {
  State().userData.reset();
  State().users.clear();
  State().discovered = false;
}
