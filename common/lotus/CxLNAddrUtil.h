#pragma once

#include "lotus/CxLNDataUtil.h"
#include "misc/CommAddrMgr.h"

// The contacts of a Notes address book, through the helper "Korvane.NotesAddr" ("LNAddr.dat").
class CxLNAddrUtil : public CxLNDataUtil<LNContactRecord, CommAddrMgr> {
 public:
  CxLNAddrUtil();
  // The custom field map shared by every Notes contacts connector; false outside slots 0 to 9.
  static bool SetCustomField(int slot, std::uint32_t id) { return SetLNCustomField(slot, id); }

 protected:
  bool UsesAddressBookKey() const override { return true; }
  const HelperTexts* Texts() const override;
  const char* SubmitText() const override {
    return "Submit changes to Lotus Notes contacts database";
  }
  void ToCommon(const LNContactRecord& native, CommonContact& common) override {
    LNToCommon(native, common);
  }
};
