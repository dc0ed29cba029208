#include "outlook/OlNoteUtil.h"

#include "misc/RecordStatus.h"
#include "misc/Utf8.h"

namespace {

const OlFolderKind kNotes = {
    .folderId = 12,  // olFolderNotes
    .itemClass = 5,  // olNoteItem
    .load = {.nameFailed = "Failed to get the name of the folder. hr=0x%x",
             .nameGot = "Got the name of the Notes folder: %s",
             .storeFailed = nullptr,
             .storeGot = nullptr,
             .itemsFailed = "Failed to get the \"Items\" property of the Notes folder. hr=0x%x"},
    .updateItemsFailed = "Failed to get the \"Items\" property of the Notes folder. hr=0x%x",
    .itemFailed = "Failed to get the notes item by index: %d. hr=0x%x",
    .addItemsFailed = "Failed to get the \"Items\" property of the Notes folder. hr=0x%x",
    .addFailed = "Failed to call the \"Add\" method to add notes item. hr=0x%x",
    .opened = nullptr,
    .updatesLoaded = true,
};

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

OlNoteUtil::OlNoteUtil(const char* /*name*/) : OlFolderUtil(kNotes) {}

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
