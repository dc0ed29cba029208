#pragma once

#include <cstdint>

#include "misc/FixedText.h"
#include "misc/WinTypes.h"
#include "outlook/OlItemRef.h"

// An Outlook appointment as read: one item per series, the master with its pattern.
struct OlEventRecord {
  std::uint8_t AllDayEvent = 0;
  std::int32_t Duration = 0;  // minutes
  OleDate End;
  FixedText<1024> EntryID;
  FixedText<1024> StoreID;
  std::uint8_t IsRecurring = 0;
  FixedText<256> Location;
  std::uint8_t ReminderSet = 0;
  OleDate ReminderTime;                         // version classes 0-3
  std::int32_t ReminderMinutesBeforeStart = 0;  // version classes 4-6
  OleDate Start;
  FixedText<256> Subject;
  FixedText<20480> Body;
  std::int32_t RecurrenceType = 0;  // -1: does not recur
  std::int32_t Interval = 0;
  std::int32_t DayOfWeekMask = 0;
  std::int32_t DayOfMonth = 0;
  std::int32_t Instance = 0;
  std::int32_t MonthOfYear = 0;
  OleDate PatternEndDate;
  FixedText<32> FolderName;
  FixedText<256> Categories;
  OleDate CreationTime;
  OleDate LastModificationTime;
  OlItemRef Item;

  template <class Self, class V>
  static void VisitFields(Self& r, V&& v) {
    v("AllDayEvent", r.AllDayEvent);
    v("Duration", r.Duration);
    v("End", r.End);
    v("EntryID", r.EntryID);
    v("StoreID", r.StoreID);
    v("IsRecurring", r.IsRecurring);
    v("Location", r.Location);
    v("ReminderSet", r.ReminderSet);
    v("ReminderTime", r.ReminderTime);
    v("ReminderMinutesBeforeStart", r.ReminderMinutesBeforeStart);
    v("Start", r.Start);
    v("Subject", r.Subject);
    v("Body", r.Body);
    v("RecurrenceType", r.RecurrenceType);
    v("Interval", r.Interval);
    v("DayOfWeekMask", r.DayOfWeekMask);
    v("DayOfMonth", r.DayOfMonth);
    v("Instance", r.Instance);
    v("MonthOfYear", r.MonthOfYear);
    v("PatternEndDate", r.PatternEndDate);
    v("FolderName", r.FolderName);
    v("Categories", r.Categories);
    v("CreationTime", r.CreationTime);
    v("LastModificationTime", r.LastModificationTime);
  }
};

// An Outlook task as read.
struct OlTaskRecord {
  FixedText<20480> Body;
  FixedText<256> CardData;
  std::uint8_t Complete = 0;
  OleDate DueDate;
  FixedText<1024> EntryID;
  std::int32_t Importance = 0;
  std::uint8_t IsRecurring = 0;
  FixedText<256> Mileage;
  std::int32_t Ordinal = 0;
  std::int32_t PercentComplete = 0;
  std::uint8_t ReminderOverrideDefault = 0;
  std::uint8_t ReminderPlaySound = 0;
  std::uint8_t ReminderSet = 0;
  FixedText<260> ReminderSoundFile;
  OleDate ReminderTime;
  std::int32_t ResponseState = 0;
  FixedText<32> Role;
  std::int32_t Sensitivity = 0;
  OleDate StartDate;
  std::int32_t Status = 0;
  FixedText<256> Subject;
  std::uint8_t TeamTask = 0;
  std::int32_t TotalWork = 0;
  std::int32_t RecurrenceType = 0;  // -1: does not recur
  std::int32_t Interval = 0;
  std::int32_t DayOfWeekMask = 0;
  std::int32_t DayOfMonth = 0;
  std::int32_t Instance = 0;
  std::int32_t MonthOfYear = 0;
  OleDate PatternEndDate;
  FixedText<256> Categories;
  OleDate CreationTime;
  OleDate LastModificationTime;
  OlItemRef Item;

  template <class Self, class V>
  static void VisitFields(Self& r, V&& v) {
    v("Body", r.Body);
    v("CardData", r.CardData);
    v("Complete", r.Complete);
    v("DueDate", r.DueDate);
    v("EntryID", r.EntryID);
    v("Importance", r.Importance);
    v("IsRecurring", r.IsRecurring);
    v("Mileage", r.Mileage);
    v("Ordinal", r.Ordinal);
    v("PercentComplete", r.PercentComplete);
    v("ReminderOverrideDefault", r.ReminderOverrideDefault);
    v("ReminderPlaySound", r.ReminderPlaySound);
    v("ReminderSet", r.ReminderSet);
    v("ReminderSoundFile", r.ReminderSoundFile);
    v("ReminderTime", r.ReminderTime);
    v("ResponseState", r.ResponseState);
    v("Role", r.Role);
    v("Sensitivity", r.Sensitivity);
    v("StartDate", r.StartDate);
    v("Status", r.Status);
    v("Subject", r.Subject);
    v("TeamTask", r.TeamTask);
    v("TotalWork", r.TotalWork);
    v("RecurrenceType", r.RecurrenceType);
    v("Interval", r.Interval);
    v("DayOfWeekMask", r.DayOfWeekMask);
    v("DayOfMonth", r.DayOfMonth);
    v("Instance", r.Instance);
    v("MonthOfYear", r.MonthOfYear);
    v("PatternEndDate", r.PatternEndDate);
    v("Categories", r.Categories);
    v("CreationTime", r.CreationTime);
    v("LastModificationTime", r.LastModificationTime);
  }
};

// An Outlook note as read.
struct OlNoteRecord {
  FixedText<32> FolderName;
  FixedText<256> Categories;
  FixedText<1024> EntryID;
  FixedText<256> Subject;
  FixedText<20480> Body;
  OleDate CreationTime;
  OleDate LastModificationTime;
  std::uint8_t Saved = 0;
  std::int32_t Color = 0;
  OlItemRef Item;

  template <class Self, class V>
  static void VisitFields(Self& r, V&& v) {
    v("FolderName", r.FolderName);
    v("Categories", r.Categories);
    v("EntryID", r.EntryID);
    v("Subject", r.Subject);
    v("Body", r.Body);
    v("CreationTime", r.CreationTime);
    v("LastModificationTime", r.LastModificationTime);
    v("Saved", r.Saved);
    v("Color", r.Color);
  }
};
