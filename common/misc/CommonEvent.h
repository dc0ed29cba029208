#pragma once

#include <array>
#include <cstdint>

#include "misc/FixedText.h"
#include "misc/NativeAttachment.h"
#include "misc/WinTypes.h"

enum RecurType : std::int32_t {
  kRecurNone = 0,
  kRecurDaily = 1,
  kRecurWeekly = 2,
  kRecurMonthlyNth = 3,
  kRecurMonthly = 4,
  kRecurYearlyNth = 5,
  kRecurYearly = 6,
};

// Day-of-week bits of `DayOfWeekMask`.
enum DayMask : std::int32_t {
  kMaskSunday = 1,
  kMaskMonday = 2,
  kMaskTuesday = 4,
  kMaskWednesday = 8,
  kMaskThursday = 16,
  kMaskFriday = 32,
  kMaskSaturday = 64,
};

struct CommonRecurrence {
  std::int32_t RecurType = kRecurNone;
  std::int16_t HasEnd = 0;
  SYSTEMTIME PatternStart;
  SYSTEMTIME PatternEnd;
  std::int32_t Interval = 0;
  std::int32_t DayOfWeekMask = 0;
  std::int32_t DayOfMonth = 0;
  std::int32_t MonthOfYear = 0;
  std::int32_t Instance = 0;

  // Start, end and HasEnd are not part of a pattern's identity.
  bool SamePattern(const CommonRecurrence& o) const {
    return RecurType == o.RecurType && Interval == o.Interval && DayOfWeekMask == o.DayOfWeekMask &&
           DayOfMonth == o.DayOfMonth && MonthOfYear == o.MonthOfYear && Instance == o.Instance;
  }

  template <class Self, class V>
  static void VisitFields(Self& r, V&& v) {
    v("RecurType", r.RecurType);
    v("HasEnd", r.HasEnd);
    v("PatternStart", r.PatternStart);
    v("PatternEnd", r.PatternEnd);
    v("Interval", r.Interval);
    v("DayOfWeekMask", r.DayOfWeekMask);
    v("DayOfMonth", r.DayOfMonth);
    v("MonthOfYear", r.MonthOfYear);
    v("Instance", r.Instance);
  }
};

enum ReminderUnit : std::int32_t {
  kUnitMinutes = 1,
  kUnitHours = 2,
  kUnitDays = 3,
  kUnitWeeks = 4
};

struct CommonReminder {
  std::int32_t Method = 0;
  std::int32_t Amount = 0;
  std::int32_t Unit = 0;

  template <class Self, class V>
  static void VisitFields(Self& r, V&& v) {
    v("Method", r.Method);
    v("Amount", r.Amount);
    v("Unit", r.Unit);
  }
};

class CommonEvent {
 public:
  static constexpr std::size_t kMaxReminders = 3;

  std::uint32_t EventType = 0;
  FixedText<256> Subject;
  std::uint32_t AllDay = 0;
  SYSTEMTIME Start;
  SYSTEMTIME End;
  std::uint32_t ReminderSet = 0;
  std::int32_t DurationMinutes = 0;
  FixedText<8192> Description;
  FixedText<256> Location;
  CommonRecurrence Recurrence;
  std::uint32_t Private = 0;
  FixedText<64> Categories;
  FixedText<64> ReservedText;
  std::uint32_t ReservedNumber = 0;
  std::uint32_t ReminderCount = 0;  // valid entries of Reminders, 0-3
  std::array<CommonReminder, kMaxReminders> Reminders;
  std::uint32_t EventStatus = 0;
  std::uint32_t Visibility = 0;
  OleDate CreationTime;
  OleDate LastModificationTime;
  std::uint32_t SourceType = 0;
  std::uint32_t Status = 0;
  NativeAttachment NativeRecord;
  const CommonEvent* MatchedRecord = nullptr;

  template <class Self, class V>
  static void VisitFields(Self& e, V&& v) {
    v("EventType", e.EventType);
    v("Subject", e.Subject);
    v("AllDay", e.AllDay);
    v("Start", e.Start);
    v("End", e.End);
    v("ReminderSet", e.ReminderSet);
    v("DurationMinutes", e.DurationMinutes);
    v("Description", e.Description);
    v("Location", e.Location);
    v("Recurrence", e.Recurrence);
    v("Private", e.Private);
    v("Categories", e.Categories);
    v("ReservedText", e.ReservedText);
    v("ReservedNumber", e.ReservedNumber);
    v("ReminderCount", e.ReminderCount);
    v("Reminders", e.Reminders);
    v("EventStatus", e.EventStatus);
    v("Visibility", e.Visibility);
    v("CreationTime", e.CreationTime);
    v("LastModificationTime", e.LastModificationTime);
    v("SourceType", e.SourceType);
    v("Status", e.Status);
  }
};
