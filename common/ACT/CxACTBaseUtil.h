#pragma once

#include <string>
#include <string_view>

#include "ACT/ACTParamKeys.h"
#include "helper/CxHelperBaseUtil.h"

// Base of the ACT! contact, calendar, to-do and note connectors: the database, the ACT! parameter
// keys, and status and error files that outlive an unload.
class CxACTBaseUtil : public CxHelperBaseUtil {
 public:
  // Deletes the status and error files that Unload leaves.
  ~CxACTBaseUtil() override;

  // Leaves the status and error files: the engine deletes the status file before each run, and
  // the last error stays readable until the connector goes.
  void Unload() override {}

  // The ACT! database file (".pad"), up to 255 bytes.
  void SetDatabase(std::string_view path);
  const std::string& Database() const { return database_; }

 protected:
  void FillParams(CxHelperParamParser& params) const override;
  // Keys of one data type between the status file and the log folder (the to-do class).
  virtual void FillOwnParams(CxHelperParamParser& /*params*/) const {}

 private:
  std::string database_;
};
