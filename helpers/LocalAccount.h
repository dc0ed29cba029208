#pragma once

#include "AccountBackend.h"
#include "platform/AtomicFile.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// The local account the helpers keep: a folder per account under the accounts root, holding a
// settings file with the salted password hash and one folder per kind of record, one file per
// record.
class LocalAccount {
 public:
  static constexpr const char* kBadLogin = "Invalid e-mail or password.";
  static constexpr const char* kSettingsFile = "GHelper.ini";

  // The accounts root: key "Root" of section [Accounts] in "GHelper.ini" beside the helper or,
  // next, in the data folder; else "accounts/" in the data folder. Ends with a separator.
  static std::string AccountsRoot();

  // Opens the account, creating it with this password on first use. False with a text for the
  // user when the e-mail or password is wrong or the account cannot be made. Of two first runs
  // at once only one creates the account; a folder with records but no account is not adopted.
  bool Open(const std::string& root, const std::string& email, const std::string& password,
            std::string& error);

  const std::string& Folder() const { return folder_; }
  // The folder of one kind of record ("contacts", ...), made when missing; with a separator.
  std::string KindFolder(std::string_view kind) const;

  // Empty when `email` can name an account (and its folder, one plain name under the root);
  // else why not, for the user.
  static std::string EmailProblem(std::string_view email);
  static bool ValidEmail(std::string_view email) { return EmailProblem(email).empty(); }
  static std::string HashPassword(const std::string& password);
  static bool CheckPassword(const std::string& password, const std::string& hash);

 private:
  std::string folder_;
};

// One folder of record files with one extension. A vCard file may hold several cards (address
// book exports do); each card is then a record of its own, named "file.vcf#2", and writing
// that name replaces that card alone.
class RecordStore {
 public:
  // A record file is a few kilobytes; anything far larger is not ours to load.
  static constexpr std::int64_t kMaxFileBytes = 1 << 20;

  RecordStore(std::string folder, std::string extension)
      : folder_(std::move(folder)), extension_(std::move(extension)) {}

  // The records, sorted by file name. Files that cannot be records (not regular, empty,
  // oversized, unreadable) are left out and noted in Skipped().
  std::vector<std::string> List() const;
  // Opens regular files only, never a FIFO or a device. A failure is noted in Skipped().
  bool Read(const std::string& name, std::string& content) const;
  // Replaces or creates the file atomically (temporary beside it, then rename). While a batch is
  // set, the file is staged in it and put in place by the batch's Commit().
  bool Write(const std::string& name, std::string_view content) const;
  void SetBatch(platform::AtomicFileBatch* batch) { batch_ = batch; }
  bool Exists(const std::string& name) const;
  // A file name no record has yet: a random identifier and the extension.
  std::string NewName() const;
  // A name is one plain file of this store, never a path elsewhere.
  bool ValidName(const std::string& name) const;

  const std::string& Folder() const { return folder_; }

  // What this run left out of the account, one text per file ("contacts/x.vcf: empty file"),
  // for the warnings of the error file.
  static std::vector<std::string>& Skipped();
  // Notes that the record last read could not be understood.
  static void SkipLastRead(const std::string& reason);

 private:
  bool ReadFile(const std::string& file, std::string& content, bool note) const;
  void Skip(const std::string& file, const std::string& reason) const;

  std::string folder_;
  std::string extension_;
  platform::AtomicFileBatch* batch_ = nullptr;
  // Files written in the batch, as staged: a second card of the same file builds on them.
  mutable std::map<std::string, std::string> staged_;
};

// A random identifier of 32 hexadecimal digits.
std::string NewIdentifier();
// The revision of a file's content, like an HTTP ETag: changes whenever the content does.
std::string Revision(std::string_view content);
