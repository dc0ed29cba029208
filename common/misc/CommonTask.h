#pragma once

#include <cstdint>

#include "misc/CommonEvent.h"
#include "misc/FixedText.h"
#include "misc/NativeAttachment.h"
#include "misc/WinTypes.h"

// Dates marked "seconds" count seconds since 1970 of the local calendar time; 0 = no date.
class CommonTask {
 public:
  FixedText<256> Subject;
  FixedText<8192> Note;
  FixedText<256> Categories;
  std::int32_t Importance = 0;  // 0 normal, 1 high, 2 low
  std::uint8_t Complete = 0;
  std::int32_t DueDate = 0;  // seconds
  std::uint8_t ReminderSet = 0;
  std::uint8_t Private = 0;
  std::uint8_t ReminderSet2 = 0;
  std::uint8_t ReminderOverrideDefault = 0;
  std::uint8_t ReminderPlaySound = 0;
  FixedText<260> ReminderSoundFile;
  std::int32_t ReminderTime = 0;  // seconds
  CommonRecurrence Recurrence;
  FixedText<64> Reserved;
  FixedText<256> CardData;
  std::int32_t Ordinal = 0;
  std::uint8_t TeamTask = 0;
  std::int32_t TotalWork = 0;
  std::int32_t PercentComplete = 0;
  std::uint8_t IsRecurring = 0;
  std::int32_t StartDate = 0;  // seconds
  std::int32_t Sensitivity = 0;
  std::int32_t TaskStatus = 0;
  std::int32_t ResponseState = 0;
  OleDate CreationTime;
  OleDate LastModificationTime;
  std::uint32_t SourceType = 0;
  std::uint32_t Status = 0;
  NativeAttachment NativeRecord;
  const CommonTask* MatchedRecord = nullptr;

  // Either flag turns the reminder on.
  bool HasReminder() const { return ReminderSet == 1 || ReminderSet2 == 1; }

  template <class Self, class V>
  static void VisitFields(Self& t, V&& v) {
    v("Subject", t.Subject);
    v("Note", t.Note);
    v("Categories", t.Categories);
    v("Importance", t.Importance);
    v("Complete", t.Complete);
    v("DueDate", t.DueDate);
    v("ReminderSet", t.ReminderSet);
    v("Private", t.Private);
    v("ReminderSet2", t.ReminderSet2);
    v("ReminderOverrideDefault", t.ReminderOverrideDefault);
    v("ReminderPlaySound", t.ReminderPlaySound);
    v("ReminderSoundFile", t.ReminderSoundFile);
    v("ReminderTime", t.ReminderTime);
    v("Recurrence", t.Recurrence);
    v("Reserved", t.Reserved);
    v("CardData", t.CardData);
    v("Ordinal", t.Ordinal);
    v("TeamTask", t.TeamTask);
    v("TotalWork", t.TotalWork);
    v("PercentComplete", t.PercentComplete);
    v("IsRecurring", t.IsRecurring);
    v("StartDate", t.StartDate);
    v("Sensitivity", t.Sensitivity);
    v("TaskStatus", t.TaskStatus);
    v("ResponseState", t.ResponseState);
    v("CreationTime", t.CreationTime);
    v("LastModificationTime", t.LastModificationTime);
    v("SourceType", t.SourceType);
    v("Status", t.Status);
  }
};
