#include "outlook/OlTaskUtil.h"

#include <limits>

#include "misc/CxDateTime.h"
#include "misc/RecordStatus.h"
#include "misc/Utf8.h"
#include "outlook/OlDateUtil.h"

namespace {

constexpr int kPrivate = 2;  // olPrivate

const OlFolderKind kTasks = {
    .folderId = 13,  // olFolderTasks
    .itemClass = 3,  // olTaskItem
    .load = {.nameFailed = "Failed to get the name of the folder. hr=0x%x",
             .nameGot = "Got the name of the Task folder: %s",
             .storeFailed = nullptr,
             .storeGot = nullptr,
             .itemsFailed = "Failed to get the \"Items\" property of the Task folder. hr=0x%x"},
    .updateItemsFailed = "Failed to get the \"Items\" property of the Task folder. hr=0x%x",
    .itemFailed = "Failed to get the item by index: %d. hr=0x%x",
    .addItemsFailed = "Failed to get the \"Items\" property of the Task folder. hr=0x%x",
    .addFailed = "Failed to call the \"Add\" method. hr=0x%x",
    .opened = nullptr,
    .updatesLoaded = true,
};

// Outlook writes 4501-01-01 for "no date"; the common record's 32-bit seconds cannot hold it
// nor anything outside 1901-2038.
std::int32_t ToSeconds(OleDate d) {
  if (!d.IsSet()) return 0;
  const std::time_t t = CxDateTime::OleDateToTimeT(d);
  if (t == -1 || t <= std::numeric_limits<std::int32_t>::min() ||
      t > std::numeric_limits<std::int32_t>::max())
    return 0;
  return static_cast<std::int32_t>(t);
}

OleDate FromSeconds(std::int32_t s) {
  return s == 0 ? OleDate() : CxDateTime::TimeTToOleDate(static_cast<std::time_t>(s));
}

std::int32_t InRange(std::int32_t v, std::int32_t high) {
  return v >= 0 && v <= high ? v : 0;
}

}  // namespace

void OlTaskToCommon(const OlTaskRecord& r, CommonTask& t) {
  t.Subject = r.Subject.view();
  t.Note = r.Body.view();  // 8,191 bytes
  // The common task has no role; the mileage travels in its reserved text.
  t.Reserved.Assign(Utf8Prefix(r.Mileage.view(), 31));
  t.ReminderSoundFile = r.ReminderSoundFile.view();
  t.CardData.Assign(Utf8Prefix(r.CardData.view(), 254));
  t.Categories.Assign(Utf8Prefix(r.Categories.view(), 254));
  t.ReminderSet = r.ReminderSet ? 1 : 0;
  t.ReminderSet2 = t.ReminderSet;
  t.ReminderOverrideDefault = r.ReminderOverrideDefault ? 1 : 0;
  t.ReminderPlaySound = r.ReminderPlaySound ? 1 : 0;
  t.ReminderTime = ToSeconds(r.ReminderTime);
  t.DueDate = ToSeconds(r.DueDate);
  t.StartDate = ToSeconds(r.StartDate);
  t.Complete = r.Complete ? 1 : 0;
  t.IsRecurring = r.IsRecurring ? 1 : 0;
  t.Ordinal = r.Ordinal;
  t.PercentComplete = r.PercentComplete;
  t.TeamTask = r.TeamTask ? 1 : 0;
  t.TotalWork = r.TotalWork;
  switch (r.Importance) {  // olImportanceLow 0, Normal 1, High 2
    case 1:
      t.Importance = 0;
      break;
    case 2:
      t.Importance = 1;
      break;
    case 0:
      t.Importance = 2;
      break;
    default:
      t.Importance = 0;
  }
  t.Sensitivity = InRange(r.Sensitivity, 3);
  if (t.Sensitivity != 0) t.Private = 1;
  t.TaskStatus = InRange(r.Status, 4);
  t.ResponseState = InRange(r.ResponseState, 3);
  t.CreationTime = r.CreationTime;
  t.LastModificationTime = r.LastModificationTime;
  t.SourceType = kSourceOutlook;
}

void CommonToOlTask(const CommonTask& t, OlTaskRecord& r) {
  r.Subject = t.Subject.view();
  r.Body.Assign(Utf8Prefix(t.Note.view(), 20478));
  r.Mileage = t.Reserved.view();
  r.ReminderSoundFile = t.ReminderSoundFile.view();
  r.CardData = t.CardData.view();
  r.Categories = t.Categories.view();
  r.ReminderSet = t.HasReminder() ? 1 : 0;
  r.ReminderOverrideDefault = t.ReminderOverrideDefault;
  r.ReminderPlaySound = t.ReminderPlaySound;
  r.ReminderTime = FromSeconds(t.ReminderTime);
  // Every date the common record can hold is kept (years 1901-2038).
  r.DueDate = FromSeconds(t.DueDate);
  r.StartDate = FromSeconds(t.StartDate);
  r.Complete = t.Complete;
  r.IsRecurring = t.IsRecurring;
  r.Ordinal = t.Ordinal;
  r.PercentComplete = t.PercentComplete;
  r.TeamTask = t.TeamTask;
  r.TotalWork = t.TotalWork;
  r.Importance = t.Importance == 1 ? 2 : t.Importance == 2 ? 0 : 1;
  r.Sensitivity = InRange(t.Sensitivity, 3);
  if (r.Sensitivity == 0 && t.Private == 1) r.Sensitivity = kPrivate;
  r.Status = t.TaskStatus;
  r.ResponseState = t.ResponseState;
  OlPattern p = OlPattern::Of(r);
  CommonToOlPattern(t.Recurrence, p);
  p.To(r);
}

OlTaskUtil::OlTaskUtil(const char* /*name*/) : OlFolderUtil(kTasks) {}

void OlTaskUtil::ReadItem(CDispCmd& item, OlTaskRecord& r) {
  OlGetText(item, "Body", RefOf(r.Body));
  OlGetText(item, "CardData", RefOf(r.CardData));
  OlGetBool(item, "Complete", r.Complete);
  OlGetDate(item, "DueDate", r.DueDate);
  OlGetText(item, "EntryID", RefOf(r.EntryID));
  OlGetLong(item, "Importance", r.Importance);
  OlGetBool(item, "IsRecurring", r.IsRecurring);
  OlGetText(item, "Mileage", RefOf(r.Mileage));
  OlGetLong(item, "Ordinal", r.Ordinal);
  OlGetLong(item, "PercentComplete", r.PercentComplete);
  OlGetBool(item, "ReminderOverrideDefault", r.ReminderOverrideDefault);
  OlGetBool(item, "ReminderPlaySound", r.ReminderPlaySound);
  OlGetBool(item, "ReminderSet", r.ReminderSet);
  OlGetText(item, "ReminderSoundFile", RefOf(r.ReminderSoundFile));
  OlGetDate(item, "ReminderTime", r.ReminderTime);
  OlGetLong(item, "ResponseState", r.ResponseState);
  OlGetText(item, "Role", RefOf(r.Role));
  OlGetLong(item, "Sensitivity", r.Sensitivity);
  OlGetDate(item, "StartDate", r.StartDate);
  OlGetLong(item, "Status", r.Status);
  OlGetText(item, "Subject", RefOf(r.Subject));
  OlGetBool(item, "TeamTask", r.TeamTask);
  OlGetLong(item, "TotalWork", r.TotalWork);
  OlReadRecurrence(item, r);
  OlGetText(item, "Categories", RefOf(r.Categories));
  OlGetDate(item, "CreationTime", r.CreationTime);
  OlGetDate(item, "LastModificationTime", r.LastModificationTime);
  r.Item = OlItemRef(OlDispatchOf(item));
}

void OlTaskUtil::WriteItem(CDispCmd& item, const OlTaskRecord& r) {
  OlPutText(item, "Body", r.Body.view());
  OlPutText(item, "CardData", r.CardData.view());
  OlPutBool(item, "Complete", r.Complete != 0);
  OlPutDate(item, "DueDate", r.DueDate);
  OlPutLong(item, "Importance", r.Importance);
  OlPutBool(item, "IsRecurring", r.IsRecurring != 0);
  OlPutText(item, "Mileage", r.Mileage.view());
  OlPutLong(item, "Ordinal", r.Ordinal);
  OlPutLong(item, "PercentComplete", r.PercentComplete);
  OlPutBool(item, "ReminderSet", r.ReminderSet != 0);
  if (r.ReminderSet) {
    OlPutBool(item, "ReminderOverrideDefault", r.ReminderOverrideDefault != 0);
    OlPutBool(item, "ReminderPlaySound", r.ReminderPlaySound != 0);
    OlPutText(item, "ReminderSoundFile", r.ReminderSoundFile.view());
    OlPutDate(item, "ReminderTime", r.ReminderTime);
  }
  OlPutLong(item, "ResponseState", r.ResponseState);
  OlPutText(item, "Role", r.Role.view());
  OlPutLong(item, "Sensitivity", r.Sensitivity);
  OlPutDate(item, "StartDate", r.StartDate);
  OlPutLong(item, "Status", r.Status);
  OlPutText(item, "Subject", r.Subject.view());
  OlPutBool(item, "TeamTask", r.TeamTask != 0);
  OlPutLong(item, "TotalWork", r.TotalWork);
  OlPutText(item, "Categories", r.Categories.view());
  OlWritePattern(item, OlPattern::Of(r));
  OlCall(item, "Save");
}
