#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "misc/CommAddrMgr.h"
#include "palm/PmAddrEx2Util.h"
#include "palm/PmAddrExUtil.h"
#include "palm/PmAddrUtil.h"
#include "palm/PmItem.h"
#include "palm/PmSource.h"
#include "palm/PmSourceBase.h"

using PmAddrItem = PmItem<CommonContact, PmAddrRecord, PmAddrExRecord, PmAddrEx2Record>;

// The Palm Desktop contact source: picks the loader for the installed Palm Desktop or for a
// file, keeps the Palm records and converts every live one into a CommonContact.
class PmAddrInfo : public PmSource<PmAddrInfo, PmAddrUtil, PmAddrExUtil, PmAddrEx2Record,
                                   CommAddrMgr, PmAddrItem> {
 public:
  static constexpr std::size_t kMapSlots = 10;

  // `version` as GetPalmDesktopVersion() gives it; it sets the process-wide layout selector.
  explicit PmAddrInfo(std::uint32_t version);
  PmAddrInfo();  // the installed version

  // The process-wide layout selector (0 unknown, 1, 2, 3) the field tables follow.
  static int LayoutSelector();

  bool LoadByUser(std::int32_t userId);
  bool LoadByFolder(const std::string& userFolder);  // the user's data folder, for tests and tools
  bool SetMappedField(std::size_t slot, std::int32_t fieldId);

  int FieldCount() const { return fieldCount_; }

  // The custom-map field table of the current layout selector.
  std::size_t FieldEntryCount() const;
  const PmFieldEntry* FieldEntryAt(std::size_t position) const;
  const PmFieldEntry* FieldEntryById(std::int32_t id) const;
  // UTF-8 text of a field ID in an item; a phone entry may label the record's first empty slot.
  std::string FieldText(PmAddrItem& item, std::int32_t id) const;
  static const char* PhoneLabelText(std::int32_t label);

 private:
  friend PmSource;
  static const PmSourceTexts kTexts;
  static const char* const kUnplaced;

  bool LoadUser(std::int32_t userId);
  bool LoadFolder(const std::string& userFolder);
  std::span<const PmFieldEntry> Table() const;
  std::string RawFieldText(PmAddrItem& item, std::int32_t id) const;
  void StartBuild(int layout);
  void Convert(const PmAddrRecord& r, CommonContact& c) const;
  void Convert(const PmAddrExRecord& r, CommonContact& c) const;
  void Convert(const PmAddrEx2Record& r, CommonContact& c) const;
  void Finish(int layout, PmAddrItem& item, CommonContact& c) const;
  void ApplyMap(PmAddrItem& item, CommonContact& c) const;

  int fieldCount_ = 0;
  bool unread_ = false;  // no Palm Desktop version: the user's files choose the generation
  std::array<std::int32_t, kMapSlots> map_{};
};
