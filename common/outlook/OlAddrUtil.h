#pragma once

#include <array>
#include <cstdint>

#include "misc/CommAddrMgr.h"
#include "misc/CommonContact.h"
#include "outlook/OlContactRecord.h"
#include "outlook/OlFolderUtil.h"

// One entry of the Outlook contact field table: what the custom field map offers.
struct OlContactFieldEntry {
  std::int32_t id;
  char label[32];
  std::int32_t type;  // FieldValueType: 1 text, 4 integer, 6 date
  std::int32_t size;
  OlContactField field;  // the record field the id reads
};

inline constexpr std::size_t kOlContactFieldEntries = 75;
extern const std::array<OlContactFieldEntry, kOlContactFieldEntries> kOlContactFieldTable;
// The entry of an id, or null (0, 24, 27, 30 and unknown ids).
const OlContactFieldEntry* FindOlContactField(std::int32_t id);

// The custom field map of Outlook contacts, one per process: 10 slots of field ids, 0 = empty.
// False for a slot outside 0-9.
bool SetOlCustomField(int slot, std::int32_t id);
std::int32_t OlCustomField(int slot);

// The two conversions. ToCommon fills a cleared common contact; ToOutlook writes into a record
// that is either a copy of the loaded one (update) or empty (add).
void OlContactToCommon(const OlContactRecord& r, CommonContact& c);
void CommonToOlContact(const CommonContact& c, OlContactRecord& r);

// The Outlook contacts connector: the default Contacts folder, read item by item into common
// contacts, and common contacts written back as new or updated items.
class OlAddrUtil : public OlFolderUtil<OlAddrUtil, OlContactRecord, CommonContact, CommAddrMgr> {
 public:
  explicit OlAddrUtil(const char* name = nullptr);

  // Also empties the custom field map.
  void Init() override;
  bool SetCustomField(int slot, std::int32_t id) { return SetOlCustomField(slot, id); }

  // Reads one item's properties into a cleared record.
  static void ReadItem(CDispCmd& item, OlContactRecord& r);
  static void WriteItem(CDispCmd& item, const OlContactRecord& r);
  static void ToCommon(const OlContactRecord& r, CommonContact& c) { OlContactToCommon(r, c); }
  static void ToOutlook(const CommonContact& c, OlContactRecord& r) { CommonToOlContact(c, r); }

 private:
  static void ReadUserProperties(CDispCmd& item, OlContactRecord& r);
  static void WriteUserProperties(CDispCmd& item, const OlContactRecord& r);
};
