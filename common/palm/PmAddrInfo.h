#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "misc/CommAddrMgr.h"
#include "palm/PmAddrEx2Util.h"
#include "palm/PmAddrExUtil.h"
#include "palm/PmAddrUtil.h"
#include "palm/PmCodePage.h"
#include "palm/PmEx2Port.h"
#include "palm/PmItem.h"
#include "palm/PmSourceBase.h"
#include "palm/PmSourceLoaders.h"

using PmAddrItem = PmItem<CommonContact, PmAddrRecord, PmAddrExRecord, PmAddrEx2Record>;

// The Palm Desktop contact source: picks the loader for the installed Palm Desktop or for a
// file, keeps the Palm records and converts every live one into a CommonContact.
class PmAddrInfo : private PmSourceLoaders<PmAddrUtil, PmAddrExUtil, PmAddrEx2Record> {
 public:
  static constexpr std::size_t kMapSlots = 10;

  // `version` as GetPalmDesktopVersion() gives it; it sets the process-wide layout selector.
  explicit PmAddrInfo(std::uint32_t version);
  PmAddrInfo();  // the installed version
  PmAddrInfo(const PmAddrInfo&) = delete;
  PmAddrInfo& operator=(const PmAddrInfo&) = delete;
  ~PmAddrInfo();

  using PmSourceLoaders<PmAddrUtil, PmAddrExUtil, PmAddrEx2Record>::SetEx2Factory;
  // The process-wide layout selector (0 unknown, 1, 2, 3) the field tables follow.
  static int LayoutSelector();

  bool LoadByUser(std::int32_t userId);
  bool LoadByFolder(const std::string& userFolder);  // the user's data folder, for tests and tools
  bool LoadByFile(const std::string& path);
  int CheckFileType(const std::string& path);  // 3, 2, 1 or 255
  bool SetMappedField(std::size_t slot, std::int32_t fieldId);
  void SetCodePage(std::uint32_t codePage) { codePage_ = PmCodePage(codePage); }
  void Clear();

  int LoadedLayout() const { return loaded_; }
  int FieldCount() const { return fieldCount_; }
  CommAddrMgr& Manager() { return manager_; }
  PmAddrItem* First();
  PmAddrItem* Next();
  std::size_t ItemCount() const { return items_.size(); }

  // The custom-map field table of the current layout selector.
  std::size_t FieldEntryCount() const;
  const PmFieldEntry* FieldEntryAt(std::size_t position) const;
  const PmFieldEntry* FieldEntryById(std::int32_t id) const;
  // UTF-8 text of a field ID in an item; a phone entry may label the record's first empty slot.
  std::string FieldText(PmAddrItem& item, std::int32_t id) const;
  static const char* PhoneLabelText(std::int32_t label);

  const PmAddrUtil& Layout1Loader() const { return layout1_; }
  const PmAddrExUtil& Layout2Loader() const { return layout2_; }

 private:
  std::span<const PmFieldEntry> Table() const;
  std::string RawFieldText(PmAddrItem& item, std::int32_t id) const;
  void Build();
  template <class Rec>
  void Add(int layout, const Rec& rec);
  void Convert(const PmAddrRecord& r, CommonContact& c) const;
  void Convert(const PmAddrExRecord& r, CommonContact& c) const;
  void Convert(const PmAddrEx2Record& r, CommonContact& c) const;
  void ApplyMap(PmAddrItem& item, CommonContact& c) const;

  int loaded_ = kPmLayoutNone;
  int fieldCount_ = 0;
  PmItemList<PmAddrItem> items_;
  std::size_t unplaced_ = 0;  // records the manager could not take, logged once per load
  std::array<std::int32_t, kMapSlots> map_{};
  CommAddrMgr manager_;
  PmCodePage codePage_;
};
