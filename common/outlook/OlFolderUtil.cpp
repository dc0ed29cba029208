#include "outlook/OlFolderUtil.h"

#include <string>
#include <string_view>

#include "misc/CxDebugUtil.h"
#include "misc/RecordStatus.h"
#include "outlook/OlAddrUtil.h"
#include "outlook/OlDateUtil.h"
#include "outlook/OlNoteUtil.h"
#include "outlook/OlTaskUtil.h"

namespace {

// Where each record keeps the folder it was loaded from and the item's entry id.
void PlaceFolder(OlContactRecord& r, const std::string& name, const std::string& storeId) {
  r.text[kOcFolderName].Assign(name, kOlContactRows[kOcFolderName].width - 1);
  r.text[kOcStoreID].Assign(storeId, kOlContactRows[kOcStoreID].width - 1);
}
void PlaceFolder(OlEventRecord& r, const std::string& name, const std::string& storeId) {
  r.FolderName = name;
  r.StoreID = storeId;
}
void PlaceFolder(OlTaskRecord&, const std::string&, const std::string&) {}
void PlaceFolder(OlNoteRecord& r, const std::string& name, const std::string&) {
  r.FolderName = name;
}

TextFieldRef EntryIdRef(OlContactRecord& r) {
  return r.Text(kOcEntryID);
}
std::string_view EntryIdOf(const OlContactRecord& r) {
  return r.View(kOcEntryID);
}
template <class Native>
TextFieldRef EntryIdRef(Native& r) {
  return RefOf(r.EntryID);
}
template <class Native>
std::string_view EntryIdOf(const Native& r) {
  return r.EntryID.view();
}

}  // namespace

template <class Util, class Native, class Common, class Mgr>
OlFolderUtil<Util, Native, Common, Mgr>::OlFolderUtil(const OlFolderKind& kind) : kind_(kind) {
  OlFolderUtil::Init();
}

template <class Util, class Native, class Common, class Mgr>
OlFolderUtil<Util, Native, Common, Mgr>::~OlFolderUtil() {
  OlFolderUtil::Uninit();
}

template <class Util, class Native, class Common, class Mgr>
void OlFolderUtil<Util, Native, Common, Mgr>::Init() {
  m_pDataMgr = std::make_unique<Mgr>();
  m_pRootFolder.reset();
  OlFolderUtil::Open();
}

template <class Util, class Native, class Common, class Mgr>
void OlFolderUtil<Util, Native, Common, Mgr>::Uninit() {
  OlFolderUtil::Clear();
  m_pDataMgr.reset();
  OlFolderUtil::Close();
}

template <class Util, class Native, class Common, class Mgr>
bool OlFolderUtil<Util, Native, Common, Mgr>::Open() {
  m_pRootFolder = OpenDefaultFolder(kind_.folderId);
  opened_ = m_pRootFolder != nullptr;
  if (opened_ && kind_.opened) QM_LOG_INFO("%s", kind_.opened);
  return opened_;
}

template <class Util, class Native, class Common, class Mgr>
void OlFolderUtil<Util, Native, Common, Mgr>::Close() {
  m_pRootFolder.reset();
  opened_ = false;
  OlBaseUtil::Close();
}

template <class Util, class Native, class Common, class Mgr>
void OlFolderUtil<Util, Native, Common, Mgr>::Clear() {
  if (m_pDataMgr) m_pDataMgr->Clear();
}

template <class Util, class Native, class Common, class Mgr>
bool OlFolderUtil<Util, Native, Common, Mgr>::Load() {
  Clear();
  // Outlook may have been unreachable when the connector was made; each load tries again.
  if (!m_pRootFolder) Open();
  if (!m_pRootFolder || !m_pDataMgr) return false;
  std::string folderName, storeId;
  return ForEachItem(*m_pRootFolder, kind_.load, folderName, &storeId, [&](CDispCmd& item) {
    Native r;
    PlaceFolder(r, folderName, storeId);
    Util::ReadItem(item, r);
    Common c;
    Util::ToCommon(r, c);
    c.NativeRecord = NativeAttachment::Own(std::move(r));
    m_pDataMgr->Add(&c);
  });
}

template <class Util, class Native, class Common, class Mgr>
bool OlFolderUtil<Util, Native, Common, Mgr>::SubmitRecord(const Common* record) {
  if (!record || !m_pDataMgr || !m_pRootFolder) return false;
  const Common* match = nullptr;
  std::int32_t position = 0;
  const int result = m_pDataMgr->Lookup(record, &match, &position);
  if (result == kLookupDiff) {
    // The stored record takes the submitted values but keeps its own Outlook item.
    m_pDataMgr->UpdateAt(record, position);
    UpdateRecord(m_pDataMgr->At(position), position);
    return true;
  }
  if (result != kLookupNew) return false;
  Common copy(*record);
  copy.NativeRecord.reset();
  AddRecord(&copy);
  m_pDataMgr->Add(&copy);
  return true;
}

template <class Util, class Native, class Common, class Mgr>
bool OlFolderUtil<Util, Native, Common, Mgr>::UpdateRecord(Common* record, std::int32_t position) {
  if (!record || position < 0 || !m_pRootFolder) return false;
  const auto* loaded = record->NativeRecord.template As<Native>();
  auto item =
      LoadedItemAt(*m_pRootFolder, position, loaded ? EntryIdOf(*loaded) : std::string_view(),
                   loaded ? loaded->Item : OlItemRef(), kind_.updateItemsFailed, kind_.itemFailed);
  if (!item) return false;
  Native r;
  if (loaded && kind_.updatesLoaded) r = *loaded;
  Util::ToOutlook(*record, r);
  Util::WriteItem(*item, r);
  return true;
}

template <class Util, class Native, class Common, class Mgr>
bool OlFolderUtil<Util, Native, Common, Mgr>::AddRecord(Common* record) {
  if (!record || !m_pRootFolder) return false;
  auto item = NewItem(*m_pRootFolder, kind_.itemClass, kind_.addItemsFailed, kind_.addFailed);
  if (!item) return false;
  Native r;
  Util::ToOutlook(*record, r);
  Util::WriteItem(*item, r);
  r.Item = OlItemRef(OlDispatchOf(*item));
  OlGetText(*item, "EntryID", EntryIdRef(r));
  record->NativeRecord = NativeAttachment::Own(std::move(r));
  record->SourceType = kSourceOutlook;
  return true;
}

template class OlFolderUtil<OlAddrUtil, OlContactRecord, CommonContact, CommAddrMgr>;
template class OlFolderUtil<OlDateUtil, OlEventRecord, CommonEvent, CommDateMgr>;
template class OlFolderUtil<OlTaskUtil, OlTaskRecord, CommonTask, CommTaskMgr>;
template class OlFolderUtil<OlNoteUtil, OlNoteRecord, CommonNote, CommNoteMgr>;
