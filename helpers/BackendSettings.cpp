#include "BackendSettings.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/AsciiCase.h"
#include "platform/IniDocument.h"
#include "platform/PlatformPaths.h"

using platform::EqualsNoCase;
using platform::FoldAscii;
using platform::StartsWithNoCase;

namespace {

constexpr std::string_view kSectionPrefix = "Account ";

std::string SectionOf(std::string_view email) {
  return std::string(kSectionPrefix) + FoldAscii(email);
}

bool Load(const std::string& path, platform::IniDocument& doc) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && doc.Load(path);
}

AccountSettings FromSection(const platform::IniDocument& doc, const std::string& section,
                            const std::string& email, const std::string& file) {
  AccountSettings s;
  s.email = email;
  s.chosen = true;
  s.file = file;
  s.values = doc.Entries(section);
  s.backend = FoldAscii(s.Value("Backend"));
  if (s.backend.empty()) s.backend = HelperSettings::DefaultBackend(email);
  return s;
}

// The host of an http(s) address, without port or brackets; empty when there is none.
std::string HostOf(std::string_view url) {
  std::size_t scheme = url.find("://");
  if (scheme == std::string_view::npos) return {};
  std::string_view rest = url.substr(scheme + 3);
  rest = rest.substr(0, rest.find_first_of("/?#"));
  if (auto at = rest.rfind('@'); at != std::string_view::npos) rest = rest.substr(at + 1);
  if (!rest.empty() && rest.front() == '[') return std::string(rest.substr(1, rest.find(']') - 1));
  return std::string(rest.substr(0, rest.find(':')));
}

bool Loopback(std::string_view host) {
  return EqualsNoCase(host, "localhost") || host == "::1" || host.substr(0, 4) == "127.";
}

}  // namespace

std::string AccountSettings::Value(std::string_view key) const {
  for (const auto& [k, v] : values)
    if (EqualsNoCase(k, key)) return v;
  return {};
}

void AccountSettings::Set(std::string_view key, std::string_view value) {
  for (auto& [k, v] : values) {
    if (EqualsNoCase(k, key)) {
      v = std::string(value);
      return;
    }
  }
  values.emplace_back(std::string(key), std::string(value));
}

std::string HelperSettings::DataFolder() {
  std::string base = platform::DataHome();
  return base.empty() ? std::string() : base + "/korvane/VEGG/";
}

std::string HelperSettings::AccountsRoot(const std::string& dataFolder) {
  for (const std::string& folder : {platform::ExecutableFolder(), dataFolder}) {
    platform::IniDocument doc;
    if (folder.empty() || !Load(folder + kFileName, doc)) continue;
    if (auto root = doc.Get("Accounts", "Root"); root && !root->empty())
      return root->back() == '/' ? *root : *root + '/';
  }
  return dataFolder.empty() ? std::string() : dataFolder + "accounts/";
}

std::string HelperSettings::LocalAccountFolder(const std::string& dataFolder,
                                               std::string_view email) {
  std::string root = AccountsRoot(dataFolder);
  if (email.empty() || root.empty()) return {};
  // Spelt as the local account spells its folder.
  std::string folder = root + FoldAscii(email) + "/";
  struct stat st {};
  return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? folder : std::string();
}

std::vector<std::string> HelperSettings::Files() {
  std::vector<std::string> files{platform::ExecutableFolder() + kFileName};
  if (std::string data = DataFolder(); !data.empty()) files.push_back(data + kFileName);
  return files;
}

std::string HelperSettings::WritableFile() {
  std::string data = DataFolder();
  return data.empty() ? std::string() : data + kFileName;
}

std::string HelperSettings::DefaultBackend(std::string_view email) {
  std::string domain = FoldAscii(email.substr(email.rfind('@') + 1));
  if (email.find('@') != std::string_view::npos &&
      (domain == "gmail.com" || domain == "googlemail.com"))
    return kGoogle;
  return kLocal;
}

AccountSettings HelperSettings::ForAccount(std::string_view email) {
  for (const std::string& file : Files()) {
    platform::IniDocument doc;
    if (!Load(file, doc)) continue;
    for (const std::string& section : doc.SectionNames())
      if (EqualsNoCase(section, SectionOf(email)))
        return FromSection(doc, section, std::string(email), file);
  }
  AccountSettings s;
  s.email = std::string(email);
  s.backend = DefaultBackend(email);
  return s;
}

std::vector<AccountSettings> HelperSettings::All() {
  std::vector<AccountSettings> all;
  for (const std::string& file : Files()) {
    platform::IniDocument doc;
    if (!Load(file, doc)) continue;
    for (const std::string& section : doc.SectionNames()) {
      if (!StartsWithNoCase(section, kSectionPrefix)) continue;
      std::string email = FoldAscii(section.substr(kSectionPrefix.size()));
      bool known = false;
      for (const AccountSettings& a : all) known = known || a.email == email;
      if (!known) all.push_back(FromSection(doc, section, email, file));
    }
  }
  return all;
}

std::string HelperSettings::Problem(const AccountSettings& s) {
  if (s.backend == kLocal || s.backend == kGoogle) return {};
  if (s.backend != kDav)
    return "The back end \"" + s.backend + "\" of " + s.email +
           " is not known; it is local, dav or google.";
  std::string url = s.Value("Url");
  if (url.empty()) return "The dav back end of " + s.email + " needs the server's address (Url).";
  // Said now, not as a failed login later.
  if (const std::string ca = s.Value("CaFile"); !ca.empty() && ::access(ca.c_str(), R_OK) != 0)
    return "The certificate file " + ca + " of " + s.email +
           " cannot be read: " + std::strerror(errno) + ".";
  if (StartsWithNoCase(url, "https://") && !HostOf(url).empty()) return {};
  if (StartsWithNoCase(url, "http://") && Loopback(HostOf(url))) return {};
  return "The server address " + url + " of " + s.email +
         " must begin with https:// (plain http only for a server on this machine).";
}

bool HelperSettings::Store(const AccountSettings& s, std::string& error) {
  // The address names an ini section: it must stay one plain header line.
  bool plain = s.email.find('@') != std::string::npos && s.email.size() <= 254;
  for (char c : s.email)
    plain = plain && static_cast<unsigned char>(c) > 0x20 && c != 0x7f && c != '[' && c != ']';
  if (!plain) {
    error = "\"" + s.email + "\" is not an e-mail address.";
    return false;
  }
  if (std::string problem = Problem(s); !problem.empty()) {
    error = problem;
    return false;
  }
  const std::string file = WritableFile();
  if (file.empty()) {
    error = "The data folder cannot be found.";
    return false;
  }
  std::string folder = file.substr(0, file.rfind('/'));
  // Owner-only, as the data folder is wherever it is made.
  for (std::size_t at = folder.find('/', 1);; at = folder.find('/', at + 1)) {
    ::mkdir(folder.substr(0, at).c_str(), 0700);
    if (at == std::string::npos) break;
  }
  platform::IniDocument doc;
  if (!doc.Load(file)) {
    error = doc.Error();
    return false;
  }
  const std::string section = SectionOf(s.email);
  doc.Set(section, "Backend", s.backend);
  for (const auto& [k, v] : s.values)
    if (!EqualsNoCase(k, "Backend")) doc.Set(section, k, v);
  if (!doc.Save(file)) {
    error = doc.Error();
    return false;
  }
  return true;
}

bool HelperSettings::IsSecretKey(std::string_view key) {
  std::string k = FoldAscii(key);
  for (const char* word : {"password", "secret", "token", "key"})
    if (k.find(word) != std::string::npos) return true;
  return false;
}
