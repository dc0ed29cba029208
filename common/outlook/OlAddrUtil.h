#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "misc/CommAddrMgr.h"
#include "misc/CommonContact.h"
#include "outlook/OlBaseUtil.h"
#include "outlook/OlContactRecord.h"

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
class OlAddrUtil : public OlBaseUtil {
 public:
  explicit OlAddrUtil(const char* name = nullptr);
  ~OlAddrUtil() override;

  bool Load() override;
  void Clear() override;
  void Init() override;
  void Uninit() override;
  bool Open() override;
  void Close() override;

  // Into Outlook: an identical record is skipped (false), a differing one rewrites its item,
  // a new one becomes a new item (true for both).
  bool SubmitRecord(const CommonContact* record);
  bool AddRecord(CommonContact* record);
  bool UpdateRecord(CommonContact* record, std::int32_t position);
  bool SetCustomField(int slot, std::int32_t id) { return SetOlCustomField(slot, id); }

  CommAddrMgr* Manager() { return m_pDataMgr.get(); }
  bool Opened() const { return opened_; }

  // Reads one item's properties into a cleared record (exposed for dump --native).
  static void ReadItem(CDispCmd& item, OlContactRecord& r);
  static void WriteItem(CDispCmd& item, const OlContactRecord& r);

 private:
  static void ReadUserProperties(CDispCmd& item, OlContactRecord& r);
  static void WriteUserProperties(CDispCmd& item, const OlContactRecord& r);

  std::unique_ptr<CDispCmd> m_pAddrRootFolder;
  std::unique_ptr<CommAddrMgr> m_pDataMgr;
  bool opened_ = false;
};
