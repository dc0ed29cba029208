#include "NotesStore.h"

#include <sys/random.h>

#include <cstdio>

#include "LocalAccount.h"
#include "misc/CxFile.h"
#include "platform/AsciiCase.h"
#include "platform/AtomicFile.h"
#include "platform/IniDocument.h"
#include "platform/PlatformPaths.h"

namespace {

std::string BaseName(const std::string& path) {
  auto slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string CurrentFolder() {
  return "./";
}

}  // namespace

bool NotesStore::Resolve(const std::string& database, const std::string& dataFolder,
                         std::string& path, std::string& error) {
  if (database.empty()) {
    error = "No Notes database was named.";
    return false;
  }
  for (const std::string& folder : {CurrentFolder(), platform::ExecutableFolder(), dataFolder}) {
    platform::IniDocument ini;
    if (folder.empty() || !ini.Load(folder + kSettingsFile)) continue;
    if (auto mapped = ini.Get("Databases", database); mapped && !mapped->empty()) {
      path = *mapped;
      return true;
    }
  }
  auto bang = database.find("!!");
  if (bang != std::string::npos) {
    error = "The database " + database.substr(bang + 2) + " on server " + database.substr(0, bang) +
            " has no local file: add it to [Databases] of " + kSettingsFile + ".";
    return false;
  }
  path = database;
  return true;
}

bool NotesStore::Open(const std::string& path, const std::string& name, const char* kind,
                      std::string& error) {
  path_ = path;
  name_ = name;
  std::int64_t size = CxFile::FileSize(path);
  if (size < 0) {
    error = "The Notes database " + name + " cannot be opened: " + path + " does not exist.";
    return false;
  }
  if (size > kMaxDocumentBytes) {
    error = "The Notes database " + name + " (" + path + ") is too large to be one.";
    return false;
  }
  std::string text;
  if (!platform::ReadWholeFile(path, text)) {
    error = "The Notes database " + name + " cannot be read: " + path + ".";
    return false;
  }
  doc_ = nlohmann::json::parse(text, nullptr, false);
  if (doc_.is_discarded() || !doc_.is_object()) {
    error = "The Notes database " + name + " (" + path + ") is not a database document.";
    return false;
  }
  auto k = doc_.find("kind");
  if (k == doc_.end() || !k->is_string() || *k != kind) {
    error = "The Notes database " + name + " is not " +
            (std::string(kind) == "addressbook" ? "an address book"
                                                : std::string("a ") + kind + " database") +
            ".";
    return false;
  }
  return true;
}

bool NotesStore::CheckUser(const std::string& idFile, const std::string& password,
                           std::string& error) const {
  auto owner = doc_.find("idFile");
  if (owner == doc_.end() || !owner->is_string()) return true;  // open to everyone
  if (idFile.empty()) {
    error = "No Notes user ID file was given for the database " + name_ + ".";
    return false;
  }
  if (CxFile::FileSize(idFile) < 0) {
    error = "The Notes user ID file " + idFile + " cannot be opened.";
    return false;
  }
  if (!platform::EqualsNoCase(BaseName(idFile), BaseName(owner->get<std::string>()))) {
    error = "The Notes user ID file " + idFile + " has no access to the database " + name_ + ".";
    return false;
  }
  auto hash = doc_.find("passwordHash");
  if (hash != doc_.end() && hash->is_string() &&
      !LocalAccount::CheckPassword(password, hash->get<std::string>())) {
    error = "Wrong password for the Notes user ID file " + idFile + ".";
    return false;
  }
  return true;
}

nlohmann::json& NotesStore::List(const char* list) {
  nlohmann::json& l = doc_[list];
  if (!l.is_array()) l = nlohmann::json::array();
  return l;
}

bool NotesStore::Save(std::string& error) const {
  std::string why;
  std::string text = doc_.dump(1, '\t', false, nlohmann::json::error_handler_t::replace) + "\n";
  if (platform::WriteFileAtomically(path_, text, 0600, &why)) return true;
  error = "The Notes database " + name_ + " could not be written: " + path_ + ": " + why;
  return false;
}

std::string NotesStore::NewId() {
  unsigned char bytes[16] = {};
  std::size_t got = 0;
  while (got < sizeof bytes) {
    ssize_t n = ::getrandom(bytes + got, sizeof bytes - got, 0);
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  std::string id;
  char hex[3];
  for (unsigned char b : bytes) {
    std::snprintf(hex, sizeof hex, "%02X", b);
    id += hex;
  }
  return id;
}
