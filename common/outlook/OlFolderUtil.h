#pragma once

#include <cstdint>
#include <memory>

#include "outlook/OlBaseUtil.h"

// What sets one Outlook data type's folder apart: the folder, the class of a new item and what
// a load, an update and an add write to the log.
struct OlFolderKind {
  int folderId;   // GetDefaultFolder: olFolderContacts ...
  int itemClass;  // Items.Add: olContactItem ...
  OlFolderTexts load;
  const char* updateItemsFailed;
  const char* itemFailed;  // "%d": the position, "%x": the code
  const char* addItemsFailed;
  const char* addFailed;
  const char* opened;  // logged when the folder is found; null: nothing
  // An update starts from the record as loaded, so that fields without a common counterpart
  // keep their values; otherwise from an empty record.
  bool updatesLoaded;
};

// One Outlook connector over its default folder: `Util` (OlAddrUtil ...) reads and writes its
// items (static ReadItem, WriteItem) and converts its records (static ToCommon, ToOutlook);
// everything else is the same for every data type.
template <class Util, class Native, class Common, class Mgr>
class OlFolderUtil : public OlBaseUtil {
 public:
  ~OlFolderUtil() override;

  bool Load() override;
  void Clear() override;
  void Init() override;
  void Uninit() override;
  bool Open() override;
  void Close() override;

  // Into Outlook: an identical record is skipped (false), a differing one rewrites its item,
  // a new one becomes a new item (true for both).
  bool SubmitRecord(const Common* record);
  bool AddRecord(Common* record);
  bool UpdateRecord(Common* record, std::int32_t position);

  Mgr* Manager() { return m_pDataMgr.get(); }
  bool Opened() const { return opened_; }

 protected:
  explicit OlFolderUtil(const OlFolderKind& kind);

  std::unique_ptr<CDispCmd> m_pRootFolder;
  std::unique_ptr<Mgr> m_pDataMgr;

 private:
  const OlFolderKind& kind_;
  bool opened_ = false;
};
