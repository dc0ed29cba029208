#pragma once

#include <cstdint>
#include <string_view>

#include "ACT/ACTRecords.h"
#include "ACT/CxACTDataUtil.h"
#include "misc/CommAddrMgr.h"

// The ACT! contacts, exchanged with the helper "Korvane.ACTAddrUtil" through "ACTAddr.dat".
class CxACTAddrUtil : public CxACTDataUtil<ACTContactRecord, CommAddrMgr> {
 public:
  CxACTAddrUtil();

  // Slot 0..9 of the process's custom field map takes the ACT! field `id` (0: none).
  static bool SetCustomField(int slot, std::uint32_t id);

 protected:
  const HelperTexts* Texts() const override;
  std::uint32_t SourceTypeCode() const override { return kSourceACT; }
  bool ReadRecord(CxFile& file, ACTContactRecord& record) override;
  void WriteRecord(CxFile& file, const ACTContactRecord& record) override;
  void ToCommon(const ACTContactRecord& native, CommonContact& common) override;
  void FromCommon(const CommonContact& common, ACTContactRecord& native,
                  HelperAction action) override;
};
