#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

// A Notes database of the stand-in helpers: one JSON document of native records (see
// docs/notes-store.md). An address book holds "contacts", a mail database "calendar" and
// "tasks", a notebook "notes".
class NotesStore {
 public:
  // Beside the helpers, in the Notes program folder or in the data folder: where
  // "Server!!Database" names are found as local files.
  static constexpr const char* kSettingsFile = "NotesHelper.ini";
  // A document beyond this is not one of ours.
  static constexpr long long kMaxDocumentBytes = 256LL << 20;

  // The local file of a database text: "Server!!Database" or a local name through the settings
  // file's [Databases] section, else a local path as it is (relative to the Notes program
  // folder, the helper's current directory). False with the reason when there is none.
  static bool Resolve(const std::string& database, const std::string& dataFolder, std::string& path,
                      std::string& error);

  // Reads the document and checks that it is a database of `kind` ("addressbook", "mail",
  // "notebook"). `name` is the database as the person gave it, for messages.
  bool Open(const std::string& path, const std::string& name, const char* kind, std::string& error);
  // The user ID file must be the one the database belongs to, and the password its own.
  bool CheckUser(const std::string& idFile, const std::string& password, std::string& error) const;

  // The records of a list of the document ("contacts", ...); an absent list is empty.
  nlohmann::json& List(const char* list);
  // Replaces the document file whole; the old one stays when that fails.
  bool Save(std::string& error) const;

  // A new Notes-like note id: 32 upper-case hex digits.
  static std::string NewId();

 private:
  nlohmann::json doc_;
  std::string path_;
  std::string name_;
};
