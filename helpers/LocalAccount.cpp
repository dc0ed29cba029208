#include "LocalAccount.h"

#include <crypt.h>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>

#include "misc/CxDebugUtil.h"
#include "misc/CxFile.h"
#include "platform/AtomicFile.h"
#include "platform/IniDocument.h"
#include "platform/PlatformPaths.h"

namespace {

std::string WithSeparator(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

std::string DataFolder() {
  std::string base = platform::DataHome();
  return base.empty() ? std::string() : base + "/korvane/VEGG/";
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

bool ReadRandom(void* buffer, std::size_t size) {
  int fd = ::open("/dev/urandom", O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  ssize_t got = ::read(fd, buffer, size);
  ::close(fd);
  return got == static_cast<ssize_t>(size);
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

}  // namespace

std::string LocalAccount::AccountsRoot() {
  for (const std::string& folder : {platform::ExecutableFolder(), DataFolder()}) {
    if (folder.empty()) continue;
    platform::IniDocument doc;
    std::string path = folder + kSettingsFile;
    if (CxFile::FileSize(path) < 0 || !doc.Load(path)) continue;
    if (auto root = doc.Get("Accounts", "Root"); root && !root->empty())
      return WithSeparator(*root);
  }
  std::string data = DataFolder();
  return data.empty() ? std::string() : data + "accounts/";
}

bool LocalAccount::ValidEmail(std::string_view email) {
  if (email.empty() || email.size() > 254 || email.front() == '.') return false;
  if (email.find('@') == std::string_view::npos) return false;
  return std::none_of(email.begin(), email.end(), [](char c) {
    return c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
  });
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
  if (!ValidEmail(email) || password.empty()) {
    error = kBadLogin;
    return false;
  }
  if (root.empty()) {
    error = "The folder of the local accounts cannot be found.";
    return false;
  }
  folder_ = WithSeparator(root) + Lower(email) + "/";
  const std::string settings = folder_ + "account.ini";
  platform::IniDocument doc;
  if (CxFile::FileSize(settings) >= 0) {
    if (!doc.Load(settings) ||
        !CheckPassword(password, doc.Get("Account", "Password").value_or(""))) {
      error = kBadLogin;
      return false;
    }
    return true;
  }
  if (!MakeFolders(folder_)) {
    error = "The local account could not be created.";
    return false;
  }
  std::string hash = HashPassword(password);
  if (hash.empty()) {
    error = "The local account could not be created.";
    return false;
  }
  doc.Set("Account", "EMail", email);
  doc.Set("Account", "Password", hash);
  if (!doc.Save(settings)) {
    error = "The local account could not be created.";
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

std::vector<std::string> RecordStore::List() const {
  std::vector<std::string> names;
  DIR* dir = ::opendir(folder_.c_str());
  if (!dir) return names;
  while (dirent* e = ::readdir(dir)) {
    std::string name = e->d_name;
    if (ValidName(name)) names.push_back(std::move(name));
  }
  ::closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

bool RecordStore::ValidName(const std::string& name) const {
  if (name.size() <= extension_.size() || name.front() == '.') return false;
  if (name.find('/') != std::string::npos) return false;
  return name.compare(name.size() - extension_.size(), extension_.size(), extension_) == 0;
}

bool RecordStore::Exists(const std::string& name) const {
  return ValidName(name) && CxFile::FileSize(folder_ + name) >= 0;
}

bool RecordStore::Read(const std::string& name, std::string& content) const {
  if (!ValidName(name)) return false;
  std::int64_t size = CxFile::FileSize(folder_ + name);
  if (size < 0 || size > kMaxFileBytes) return false;
  return platform::ReadWholeFile(folder_ + name, content);
}

bool RecordStore::Write(const std::string& name, std::string_view content) const {
  if (!ValidName(name)) return false;
  if (batch_) return batch_->Stage(folder_ + name, content, 0600);
  return platform::WriteFileAtomically(folder_ + name, content, 0600);
}

std::string RecordStore::NewName() const {
  for (;;) {
    std::string name = NewIdentifier() + extension_;
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
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return p;
}
