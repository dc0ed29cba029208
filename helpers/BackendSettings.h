#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The back end of each account, from the helpers' own settings file "GHelper.ini" beside the
// helper programs or, next, in the data folder; the first file with a section for the address
// wins. One section per account:
//
//   [Account ann@example.com]
//   Backend=dav                      local (the default), dav or google
//   Url=https://dav.example.com/     dav: the server, or its address book / calendar home
//   User=ann                         dav: the login on the server when not the e-mail address
//   CaFile=/etc/ssl/our-ca.pem       dav: certificates to trust besides the system's
//
// An address at gmail.com or googlemail.com without a section is served by `google`.
struct AccountSettings {
  std::string email;
  std::string backend;
  bool chosen = false;  // false: the default for the address, no section in any file
  std::string file;     // the settings file it came from
  std::vector<std::pair<std::string, std::string>> values;  // every key of its section

  std::string Value(std::string_view key) const;
  void Set(std::string_view key, std::string_view value);
};

class HelperSettings {
 public:
  static constexpr const char* kFileName = "GHelper.ini";
  static constexpr const char* kLocal = "local";
  static constexpr const char* kDav = "dav";
  static constexpr const char* kGoogle = "google";

  // The data folder ("…/korvane/VEGG/"); empty when there is no home for data.
  static std::string DataFolder();
  // Where local accounts live: [Accounts] Root= of the first settings file that names one,
  // else "accounts/" in the data folder. Ends with '/'.
  static std::string AccountsRoot(const std::string& dataFolder);
  // A local account's folder; empty when it does not exist.
  static std::string LocalAccountFolder(const std::string& dataFolder, std::string_view email);

  // The settings files in the order they are read (existing or not).
  static std::vector<std::string> Files();
  // The file `account set` writes: the data folder's; empty when there is no data folder.
  static std::string WritableFile();

  static std::string DefaultBackend(std::string_view email);
  static AccountSettings ForAccount(std::string_view email);
  // Every account with a section, the first file's first.
  static std::vector<AccountSettings> All();

  // Empty when the settings can serve (a known back end; a dav server address that is https,
  // or http on this machine only, as the password travels with every request); else why not.
  static std::string Problem(const AccountSettings& s);
  // Writes the account's section into WritableFile() (owner-only). False with a reason.
  static bool Store(const AccountSettings& s, std::string& error);

  // Keys whose values are never shown (tokens, passwords, secrets).
  static bool IsSecretKey(std::string_view key);
};
