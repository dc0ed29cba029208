#include "outlook/OlNoteUtil.h"
#include "outlook/OlSubmit.h"

#include "misc/CxDebugUtil.h"
#include "misc/RecordStatus.h"
#include "misc/Utf8.h"

namespace {

constexpr int kFolderNotes = 12;  // olFolderNotes
constexpr int kNoteItem = 5;      // olNoteItem

}  // namespace

void OlNoteToCommon(const OlNoteRecord& r, CommonNote& n) {
  n.Title.Assign(Utf8Prefix(r.Subject.view(), 254));
  n.Body.Assign(Utf8Prefix(r.Body.view(), 20478));
  n.Categories.Assign(Utf8Prefix(r.Categories.view(), 254));
  n.Color = static_cast<std::uint32_t>(r.Color);
  n.CreationTime = r.CreationTime;
  n.LastModificationTime = r.LastModificationTime;
  n.ItemId.Assign(Utf8Prefix(r.EntryID.view(), 30));
  n.SourceType = kSourceOutlook;
}

void CommonToOlNote(const CommonNote& n, OlNoteRecord& r) {
  r.Subject = n.Title.view();
  r.Body = n.Body.view();
  r.Categories = n.Categories.view();
  r.Color = static_cast<std::int32_t>(n.Color);
}

OlNoteUtil::OlNoteUtil(const char* /*name*/) {
  OlNoteUtil::Init();
}

OlNoteUtil::~OlNoteUtil() {
  OlNoteUtil::Uninit();
}

void OlNoteUtil::Init() {
  m_pDataMgr = std::make_unique<CommNoteMgr>();
  m_pNoteRootFolder.reset();
  OlNoteUtil::Open();
}

void OlNoteUtil::Uninit() {
  OlNoteUtil::Clear();
  m_pDataMgr.reset();
  OlNoteUtil::Close();
}

bool OlNoteUtil::Open() {
  m_pNoteRootFolder = OpenDefaultFolder(kFolderNotes);
  return m_pNoteRootFolder != nullptr;
}

void OlNoteUtil::Close() {
  m_pNoteRootFolder.reset();
  OlBaseUtil::Close();
}

void OlNoteUtil::Clear() {
  if (m_pDataMgr) m_pDataMgr->Clear();
}

bool OlNoteUtil::Load() {
  Clear();
  if (!m_pNoteRootFolder) Open();
  if (!m_pNoteRootFolder || !m_pDataMgr) return false;
  static const FolderTexts kTexts = {
      "Failed to get the name of the folder. hr=0x%x",
      "Got the name of the Notes folder: %s",
      nullptr,
      nullptr,
      "Failed to get the \"Items\" property of the Notes folder. hr=0x%x",
  };
  std::string folderName;
  return ForEachItem(*m_pNoteRootFolder, kTexts, folderName, nullptr, [&](CDispCmd& item) {
    OlNoteRecord r;
    r.FolderName = folderName;
    ReadItem(item, r);
    CommonNote n;
    OlNoteToCommon(r, n);
    n.NativeRecord = NativeAttachment::Own(std::move(r));
    m_pDataMgr->Add(&n);
  });
}

void OlNoteUtil::ReadItem(CDispCmd& item, OlNoteRecord& r) {
  OlGetText(item, "EntryID", RefOf(r.EntryID));
  OlGetText(item, "Subject", RefOf(r.Subject));
  OlGetText(item, "Body", RefOf(r.Body));
  OlGetText(item, "Categories", RefOf(r.Categories));
  OlGetDate(item, "CreationTime", r.CreationTime);
  OlGetDate(item, "LastModificationTime", r.LastModificationTime);
  OlGetBool(item, "Saved", r.Saved);
  OlGetLong(item, "Color", r.Color);
  r.Item = OlItemRef(OlDispatchOf(item));
}

void OlNoteUtil::WriteItem(CDispCmd& item, const OlNoteRecord& r) {
  // Outlook makes a note's subject from its body.
  OlPutText(item, "Body", r.Body.view());
  OlPutText(item, "Categories", r.Categories.view());
  OlPutLong(item, "Color", r.Color);
  OlCall(item, "Save");
}

bool OlNoteUtil::SubmitRecord(const CommonNote* record) {
  if (!record || !m_pDataMgr || !m_pNoteRootFolder) return false;
  return OlSubmitRecord(*m_pDataMgr, *record, *this);
}

bool OlNoteUtil::UpdateRecord(CommonNote* record, std::int32_t position) {
  if (!record || position < 0 || !m_pNoteRootFolder) return false;
  const auto* loaded = record->NativeRecord.As<OlNoteRecord>();
  auto item = LoadedItemAt(*m_pNoteRootFolder, position,
                           loaded ? loaded->EntryID.view() : std::string_view(),
                           loaded ? loaded->Item : OlItemRef(),
                           "Failed to get the \"Items\" property of the Notes folder. hr=0x%x",
                           "Failed to get the notes item by index: %d. hr=0x%x");
  if (!item) return false;
  OlNoteRecord r;
  if (loaded) r = *loaded;
  CommonToOlNote(*record, r);
  WriteItem(*item, r);
  return true;
}

bool OlNoteUtil::AddRecord(CommonNote* record) {
  if (!record || !m_pNoteRootFolder) return false;
  auto item = NewItem(*m_pNoteRootFolder, kNoteItem,
                      "Failed to get the \"Items\" property of the Notes folder. hr=0x%x",
                      "Failed to call the \"Add\" method to add notes item. hr=0x%x");
  if (!item) return false;
  OlNoteRecord r;
  CommonToOlNote(*record, r);
  WriteItem(*item, r);
  r.Item = OlItemRef(OlDispatchOf(*item));
  OlGetText(*item, "EntryID", RefOf(r.EntryID));
  record->NativeRecord = NativeAttachment::Own(std::move(r));
  record->SourceType = kSourceOutlook;
  return true;
}
