#pragma once

#include <string>
#include <string_view>

#include "helper/CxHelperBaseUtil.h"
#include "lotus/CxLNDataReader.h"
#include "lotus/CxLNParamParser.h"
#include "lotus/LNParamKeys.h"

// Base of the Lotus Notes contact, calendar, to-do and notebook connectors: the Notes parameter
// keys, the database and user ID file, and the helper started in the Notes program folder.
class CxLNBaseUtil : public CxHelperBaseUtil {
 public:
  // Deletes the status and error files, which Unload leaves in place.
  ~CxLNBaseUtil() override;
  // The status and error files stay until the connector goes.
  void Unload() override {}

  // The database the helper opens: a local path or "Server!!Database".
  void SetDatabase(std::string_view path) { database_ = std::string(path); }
  const std::string& Database() const { return database_; }
  void SetIdFile(std::string_view path) { idFile_ = std::string(path); }

 protected:
  void FillParams(CxHelperParamParser& params) const override;
  // The contacts connector names its database with the address-book key.
  virtual bool UsesAddressBookKey() const { return false; }
  // Starts the next helper run in the Notes program folder. False (with the reason as error
  // text) when the registry names a folder that is not there.
  bool UseNotesFolder();

 private:
  std::string database_;
  std::string idFile_;
};
