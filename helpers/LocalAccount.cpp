#include "LocalAccount.h"

#include <crypt.h>
#include <dirent.h>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>

#include "BackendSettings.h"
#include "HelperSession.h"
#include "VCard.h"
#include "misc/CxDebugUtil.h"
#include "misc/CxFile.h"
#include "misc/Utf8.h"
#include "platform/AsciiCase.h"
#include "platform/AtomicFile.h"
#include "platform/IniDocument.h"
#include "platform/PlatformPaths.h"

namespace {

std::string WithSeparator(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

bool MakeFolders(const std::string& path) {
  // Parents first; each is created owner-only, as the account holds personal data.
  for (std::size_t at = 1; at <= path.size(); ++at) {
    if (at < path.size() && path[at] != '/') continue;
    std::string part = path.substr(0, at);
    if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The kernel's generator without a file: a submit asks once per new record.
bool ReadRandom(void* buffer, std::size_t size) {
  ssize_t got;
  do {
    got = ::getrandom(buffer, size, 0);
  } while (got < 0 && errno == EINTR);
  return got == static_cast<ssize_t>(size);
}

// A text shown to the user with its control bytes and broken UTF-8 made visible.
std::string Utf8Printable(std::string_view s) {
  std::string out;
  for (char c : s) {
    auto u = static_cast<unsigned char>(c);
    out += (u < 0x20 || u == 0x7f) ? '?' : c;
  }
  return IsValidUtf8(out) ? out : Cp1252ToUtf8(out);
}

bool EmptyFolder(const std::string& folder) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return false;
  bool empty = true;
  while (dirent* e = ::readdir(dir)) {
    std::string name = e->d_name;
    if (name != "." && name != "..") {
      empty = false;
      break;
    }
  }
  ::closedir(dir);
  return empty;
}

// True when the folder holds anything but empty record folders: records without an account.
bool HoldsRecords(const std::string& folder) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return false;
  bool found = false;
  while (dirent* e = ::readdir(dir)) {
    std::string name = e->d_name;
    // A first run at the same moment writes its settings beside them first.
    if (name == "." || name == ".." || name.rfind(".account-", 0) == 0) continue;
    std::string path = folder + name;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || !EmptyFolder(path + "/")) {
      found = true;
      break;
    }
  }
  ::closedir(dir);
  return found;
}

using platform::FoldAscii;

}  // namespace

std::string LocalAccount::AccountsRoot() {
  return HelperSettings::AccountsRoot(HelperSettings::DataFolder());
}

std::string LocalAccount::EmailProblem(std::string_view email) {
  // The address names the account's folder: it must stay one plain name under the root.
  constexpr std::size_t kMaxEmailBytes = 254;
  const std::string shown = email.empty() ? std::string("An empty text")
                                          : "\"" + Utf8Printable(Utf8Prefix(email, 80)) +
                                                (email.size() > 80 ? "...\"" : "\"");
  const std::string notEmail = shown + " is not an e-mail address.";
  if (email.empty() || email.size() > kMaxEmailBytes) return notEmail;
  std::size_t at = email.rfind('@');
  if (at == std::string_view::npos || at == 0 || at + 1 == email.size()) return notEmail;
  if (email.front() == '.' || email.find("..") != std::string_view::npos) return notEmail;
  bool bad = std::any_of(email.begin(), email.end(), [](char c) {
    auto u = static_cast<unsigned char>(c);
    return c == '/' || c == '\\' || u < 0x21 || u == 0x7f;
  });
  if (bad || !IsValidUtf8(email)) return notEmail;
  return {};
}

std::string LocalAccount::HashPassword(const std::string& password) {
  char salt[CRYPT_GENSALT_OUTPUT_SIZE];
  unsigned char entropy[32];
  if (!ReadRandom(entropy, sizeof entropy)) return {};
  const char* prefix = "$y$";
  if (!crypt_gensalt_rn(prefix, 0, reinterpret_cast<const char*>(entropy), sizeof entropy, salt,
                        sizeof salt)) {
    prefix = "$6$";
    if (!crypt_gensalt_rn(prefix, 0, reinterpret_cast<const char*>(entropy), sizeof entropy, salt,
                          sizeof salt))
      return {};
  }
  auto data = std::make_unique<crypt_data>();
  const char* hash = crypt_r(password.c_str(), salt, data.get());
  // A failed hash starts with '*' and must never be stored as a valid one.
  if (!hash || hash[0] != '$') return {};
  return hash;
}

bool LocalAccount::CheckPassword(const std::string& password, const std::string& hash) {
  if (hash.empty() || hash[0] != '$') return false;
  auto data = std::make_unique<crypt_data>();
  const char* computed = crypt_r(password.c_str(), hash.c_str(), data.get());
  if (!computed || std::strlen(computed) != hash.size()) return false;
  // Compare every byte whatever the first difference, so timing tells nothing.
  unsigned char diff = 0;
  for (std::size_t i = 0; i < hash.size(); ++i)
    diff = static_cast<unsigned char>(diff | (computed[i] ^ hash[i]));
  return diff == 0;
}

bool LocalAccount::Open(const std::string& root, const std::string& email,
                        const std::string& password, std::string& error) {
  if (std::string problem = EmailProblem(email); !problem.empty()) {
    error = problem;
    return false;
  }
  if (password.empty()) {
    error = kBadLogin;
    return false;
  }
  if (root.empty()) {
    error = "The folder of the local accounts cannot be found.";
    return false;
  }
  folder_ = WithSeparator(root) + FoldAscii(email) + "/";
  const std::string settings = folder_ + "account.ini";
  auto checkExisting = [&] {
    platform::IniDocument doc;
    if (!doc.Load(settings) ||
        !CheckPassword(password, doc.Get("Account", "Password").value_or(""))) {
      error = kBadLogin;
      return false;
    }
    return true;
  };
  if (CxFile::FileSize(settings) >= 0) return checkExisting();
  const std::string cannot = "The local account could not be created.";
  if (!MakeFolders(folder_)) {
    error = cannot;
    return false;
  }
  if (HoldsRecords(folder_)) {
    QM_LOG_ERROR("%s holds records but no account.ini; not adopted.", folder_.c_str());
    error = "The folder of the local account " + folder_ +
            " holds records but no account settings; it is not used as a new account.";
    return false;
  }
  std::string hash = HashPassword(password);
  if (hash.empty()) {
    error = cannot;
    return false;
  }
  platform::IniDocument doc;
  doc.Set("Account", "EMail", email);
  doc.Set("Account", "Password", hash);
  // Written whole beside it, then linked into place: link() fails when the name exists, so of
  // two first runs only one makes the account, and nobody ever reads half a file.
  const std::string temp = folder_ + ".account-" + NewIdentifier() + ".ini";
  if (!doc.Save(temp)) {
    ::unlink(temp.c_str());
    error = cannot;
    return false;
  }
  int linked = ::link(temp.c_str(), settings.c_str());
  int linkError = errno;
  ::unlink(temp.c_str());
  if (linked != 0 && linkError == EEXIST) {
    if (checkExisting()) return true;
    error = "Another run created the local account " + FoldAscii(email) +
            " at the same moment with another password; " + kBadLogin;
    return false;
  }
  if (linked != 0) {
    QM_LOG_ERROR("Cannot create %s: %s", settings.c_str(), std::strerror(linkError));
    error = cannot;
    return false;
  }
  QM_LOG_INFO("Created local account %s", folder_.c_str());
  return true;
}

std::string LocalAccount::KindFolder(std::string_view kind) const {
  std::string folder = folder_ + std::string(kind) + "/";
  MakeFolders(folder);
  return folder;
}

namespace {

// The part of a record name before the card number, and the number (0 for none).
std::string_view BaseName(std::string_view name, std::size_t& card) {
  card = 0;
  std::size_t hash = name.rfind('#');
  if (hash == std::string_view::npos) return name;
  std::string_view digits = name.substr(hash + 1);
  std::size_t n = 0;
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
  if (ec != std::errc() || end != digits.data() + digits.size() || digits.empty() ||
      digits[0] == '0' || n > VCardReader::kMaxCards)
    return {};
  card = n;
  return name.substr(0, hash);
}

std::string g_lastRead;

}  // namespace

std::vector<std::string>& RecordStore::Skipped() {
  static std::vector<std::string> skipped;
  return skipped;
}

void RecordStore::Skip(const std::string& file, const std::string& reason) const {
  std::string folder = folder_;
  if (!folder.empty()) folder.pop_back();
  auto slash = folder.rfind('/');
  std::string shown = (slash == std::string::npos ? folder : folder.substr(slash + 1)) + "/" + file;
  std::string text = shown + ": " + reason;
  for (const std::string& s : Skipped())
    if (s == text) return;
  Skipped().push_back(std::move(text));
}

void RecordStore::SkipLastRead(const std::string& reason) {
  if (!g_lastRead.empty()) Skipped().push_back(g_lastRead + ": " + reason);
}

std::vector<std::string> RecordStore::List() const {
  std::vector<std::string> files;
  DIR* dir = ::opendir(folder_.c_str());
  if (!dir) {
    if (errno != ENOENT)
      Skip("", std::string("the folder cannot be read: ") + std::strerror(errno));
    return files;
  }
  while (dirent* e = ::readdir(dir)) {
    std::string name = e->d_name;
    if (ValidName(name) && name.find('#') == std::string::npos) files.push_back(std::move(name));
  }
  ::closedir(dir);
  std::sort(files.begin(), files.end());
  std::vector<std::string> names;
  for (std::string& file : files) {
    std::string content;
    if (!ReadFile(file, content, true)) continue;
    std::size_t cards = extension_ == ".vcf" ? VCardBlocks(content).size() : 1;
    if (cards <= 1) {
      names.push_back(std::move(file));
      continue;
    }
    for (std::size_t k = 1; k <= cards; ++k) names.push_back(file + "#" + std::to_string(k));
  }
  return names;
}

bool RecordStore::ValidName(const std::string& name) const {
  std::size_t card = 0;
  std::string_view base = BaseName(name, card);
  if (card && extension_ != ".vcf") return false;
  if (base.size() <= extension_.size() || base.front() == '.') return false;
  if (base.find('/') != std::string_view::npos || base.find('#') != std::string_view::npos)
    return false;
  return base.compare(base.size() - extension_.size(), extension_.size(), extension_) == 0;
}

bool RecordStore::Exists(const std::string& name) const {
  std::size_t card = 0;
  return ValidName(name) && CxFile::FileSize(folder_ + std::string(BaseName(name, card))) >= 0;
}

bool RecordStore::ReadFile(const std::string& file, std::string& content, bool note) const {
  const std::string path = folder_ + file;
  auto fail = [&](const std::string& reason) {
    if (note) Skip(file, reason);
    return false;
  };
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return fail(std::strerror(errno));
  if (!S_ISREG(st.st_mode)) return fail("not a regular file");
  // Opened without following links and without waiting, then checked again: what is opened
  // is the regular file that was looked at.
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return fail(std::string("cannot be opened: ") + std::strerror(errno));
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return fail("not a regular file");
  if (st.st_size == 0) return fail("empty file");
  if (st.st_size > kMaxFileBytes)
    return fail("larger than " + std::to_string(kMaxFileBytes) + " bytes (" +
                std::to_string(st.st_size) + ")");
  content.assign(static_cast<std::size_t>(st.st_size), '\0');
  std::size_t got = 0;
  while (got < content.size()) {
    ssize_t n = ::read(fd, content.data() + got, content.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return fail(std::string("cannot be read: ") + std::strerror(errno));
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  content.resize(got);
  if (content.empty()) return fail("empty file");
  return true;
}

bool RecordStore::Read(const std::string& name, std::string& content) const {
  g_lastRead.clear();
  if (!ValidName(name)) return false;
  std::size_t card = 0;
  std::string file(BaseName(name, card));
  if (!ReadFile(file, content, true)) return false;
  std::string shownFolder = folder_;
  shownFolder.pop_back();
  g_lastRead = shownFolder.substr(shownFolder.rfind('/') + 1) + "/" + name;
  if (!card) return true;
  auto blocks = VCardBlocks(content);
  if (card > blocks.size()) {
    Skip(name, "the card is no longer in the file");
    return false;
  }
  content = content.substr(blocks[card - 1].first, blocks[card - 1].second);
  return true;
}

bool RecordStore::Write(const std::string& name, std::string_view content) const {
  if (!ValidName(name)) return false;
  std::size_t card = 0;
  std::string file(BaseName(name, card));
  std::string whole(content);
  if (card) {
    // Only this card changes; the other cards of the file stay as they are.
    std::string current;
    if (auto it = staged_.find(file); it != staged_.end())
      current = it->second;
    else if (!ReadFile(file, current, false))
      current.clear();
    auto blocks = VCardBlocks(current);
    if (card <= blocks.size()) {
      whole = current.substr(0, blocks[card - 1].first) + whole +
              current.substr(blocks[card - 1].first + blocks[card - 1].second);
    } else if (!current.empty()) {
      whole = current + whole;
    }
  }
  if (batch_) {
    if (!batch_->Stage(folder_ + file, whole, 0600)) return false;
    staged_[file] = std::move(whole);
    return true;
  }
  return platform::WriteFileAtomically(folder_ + file, whole, 0600);
}

std::string RecordStore::NewName() const {
  for (;;) {
    std::string name = NewIdentifier() + extension_;
    if (staged_.count(name)) continue;
    if (!Exists(name)) return name;
  }
}

std::string NewIdentifier() {
  unsigned char bytes[16];
  if (!ReadRandom(bytes, sizeof bytes)) {
    std::random_device rd;
    for (unsigned char& b : bytes) b = static_cast<unsigned char>(rd());
  }
  std::string out;
  char hex[3];
  for (unsigned char b : bytes) {
    std::snprintf(hex, sizeof hex, "%02x", b);
    out += hex;
  }
  return out;
}

std::string Revision(std::string_view content) {
  // FNV-1a: cheap, and any edit changes it; not a defence against anyone.
  std::uint64_t h = 1469598103934665603ULL;
  for (char c : content) {
    h ^= static_cast<unsigned char>(c);
    h *= 1099511628211ULL;
  }
  char buf[17];
  std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(h));
  return buf;
}

PassThrough PassThrough::Parse(std::string_view text) {
  PassThrough p;
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (line.substr(0, 5) == "file=") p.file = std::string(line.substr(5));
    if (line.substr(0, 4) == "rev=") p.revision = std::string(line.substr(4));
    if (line.substr(0, 4) == "uid=") p.uid = std::string(line.substr(4));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return p;
}
