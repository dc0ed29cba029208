#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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

// A calendar day, without a time.
struct EventDay {
  std::uint16_t Year = 0;
  std::uint16_t Month = 0;
  std::uint16_t Day = 0;

  bool Valid() const {
    return Year >= 1 && Year <= 9999 && Month >= 1 && Month <= 12 && Day >= 1 && Day <= 31;
  }
  friend bool operator==(const EventDay&, const EventDay&) = default;

  template <class Self, class V>
  static void VisitFields(Self& d, V&& v) {
    v("Year", d.Year);
    v("Month", d.Month);
    v("Day", d.Day);
  }
};

// The days on which a repeating event's occurrence was deleted: valid days only, in date order,
// each once, at most kMax of them. Held as "YYYYMMDD" runs, so that equal lists are equal texts
// and an empty list costs no allocation.
class ExceptionDayList {
 public:
  // Far more than any person deletes from one series; keeps the account's rule text bounded.
  static constexpr std::size_t kMax = 100;

  class const_iterator {
   public:
    using value_type = EventDay;
    using difference_type = std::ptrdiff_t;
    const_iterator() = default;
    explicit const_iterator(const char* p) : p_(p) {}
    EventDay operator*() const;
    const_iterator& operator++() {
      p_ += kStampSize;
      return *this;
    }
    const_iterator operator++(int) {
      const_iterator old = *this;
      p_ += kStampSize;
      return old;
    }
    friend bool operator==(const const_iterator&, const const_iterator&) = default;

   private:
    const char* p_ = nullptr;
  };

  // Keeps the valid days of `days`; of more than kMax, the latest (the ones still ahead).
  // Returns how many valid days were left out for want of room.
  std::size_t Assign(std::vector<EventDay> days);
  // Adds one day; false when it is invalid or the list is full of later days.
  bool Add(EventDay day);

  std::size_t size() const { return stamps_.size() / kStampSize; }
  bool empty() const { return stamps_.empty(); }
  void clear() { stamps_.clear(); }
  const_iterator begin() const { return const_iterator(stamps_.data()); }
  const_iterator end() const { return const_iterator(stamps_.data() + stamps_.size()); }
  // The whole list as text: digits only, equal exactly when the lists are equal.
  std::string_view Key() const { return stamps_; }

  friend bool operator==(const ExceptionDayList&, const ExceptionDayList&) = default;

 private:
  static constexpr std::size_t kStampSize = 8;
  std::string stamps_;
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
  ExceptionDayList ExceptionDates;  // deleted occurrences of the recurrence
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
    v("ExceptionDates", e.ExceptionDates);
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
