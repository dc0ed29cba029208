#pragma once

#include <string>
#include <string_view>

#include "google/CxGAppBaseUtil.h"
#include "google/GoogleContact.h"
#include "helper/CxHelperDataUtil.h"
#include "misc/CommAddrMgr.h"

// The contacts of the Google account, exchanged with the helper "GAddrUtil" through "GAddr.dat".
class CxGAddrUtil : public CxHelperDataUtil<CxGAppBaseUtil, GoogleContact, CommAddrMgr> {
 public:
  CxGAddrUtil();

  // Appends the records of a contacts data file without running the helper (ReadDataFile).
  bool ReadContactsFile(std::string_view path = {}) { return ReadDataFile(path); }

  // The conversions with the null checks every caller of the record layer gets.
  static bool ToCommonRecord(const GoogleContact* google, CommonContact* common);
  static bool FromCommonRecord(const CommonContact* common, GoogleContact* google,
                               HelperAction action);

 protected:
  const HelperTexts* Texts() const override;
  std::uint32_t SourceTypeCode() const override { return kSourceGoogle; }
  bool ReadRecord(CxFile& file, GoogleContact& record) override;
  void WriteRecord(CxFile& file, const GoogleContact& record) override;
  void ToCommon(const GoogleContact& native, CommonContact& common) override;
  void FromCommon(const CommonContact& common, GoogleContact& native, HelperAction action) override;
};
