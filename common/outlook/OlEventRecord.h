#pragma once

#include <cstdint>

#include "misc/FixedText.h"
#include "misc/WinTypes.h"
#include "outlook/OlItemRef.h"

// The records below are each one list of (type, field) rows, in record order, from which the
// members and VisitFields (v(name, field) for every field but the item) are made. Every field
// starts at zero or empty.
#define QM_OL_MEMBER(type, field) type field{};
#define QM_OL_VISIT(type, field) v(#field, r.field);
#define QM_OL_RECORD(FIELDS)                \
  FIELDS(QM_OL_MEMBER)                      \
  OlItemRef Item;                           \
  template <class Self, class V>            \
  static void VisitFields(Self& r, V&& v) { \
    FIELDS(QM_OL_VISIT)                     \
  }

// The recurrence pattern of an appointment or a task; RecurrenceType -1: does not recur.
#define QM_OL_PATTERN_FIELDS(X)   \
  X(std::int32_t, RecurrenceType) \
  X(std::int32_t, Interval)       \
  X(std::int32_t, DayOfWeekMask)  \
  X(std::int32_t, DayOfMonth)     \
  X(std::int32_t, Instance)       \
  X(std::int32_t, MonthOfYear)    \
  X(OleDate, PatternEndDate)

// An Outlook appointment as read: one item per series, the master with its pattern.
#define QM_OL_EVENT_FIELDS(X)                                           \
  X(std::uint8_t, AllDayEvent)                                          \
  X(std::int32_t, Duration) /* minutes */                               \
  X(OleDate, End)                                                       \
  X(FixedText<1024>, EntryID)                                           \
  X(FixedText<1024>, StoreID)                                           \
  X(std::uint8_t, IsRecurring)                                          \
  X(FixedText<256>, Location)                                           \
  X(std::uint8_t, ReminderSet)                                          \
  X(OleDate, ReminderTime)                    /* version classes 0-3 */ \
  X(std::int32_t, ReminderMinutesBeforeStart) /* classes 4-6 */         \
  X(OleDate, Start)                                                     \
  X(FixedText<256>, Subject)                                            \
  X(FixedText<20480>, Body)                                             \
  QM_OL_PATTERN_FIELDS(X)                                               \
  X(FixedText<32>, FolderName)                                          \
  X(FixedText<256>, Categories)                                         \
  X(OleDate, CreationTime)                                              \
  X(OleDate, LastModificationTime)

// An Outlook task as read.
#define QM_OL_TASK_FIELDS(X)               \
  X(FixedText<20480>, Body)                \
  X(FixedText<256>, CardData)              \
  X(std::uint8_t, Complete)                \
  X(OleDate, DueDate)                      \
  X(FixedText<1024>, EntryID)              \
  X(std::int32_t, Importance)              \
  X(std::uint8_t, IsRecurring)             \
  X(FixedText<256>, Mileage)               \
  X(std::int32_t, Ordinal)                 \
  X(std::int32_t, PercentComplete)         \
  X(std::uint8_t, ReminderOverrideDefault) \
  X(std::uint8_t, ReminderPlaySound)       \
  X(std::uint8_t, ReminderSet)             \
  X(FixedText<260>, ReminderSoundFile)     \
  X(OleDate, ReminderTime)                 \
  X(std::int32_t, ResponseState)           \
  X(FixedText<32>, Role)                   \
  X(std::int32_t, Sensitivity)             \
  X(OleDate, StartDate)                    \
  X(std::int32_t, Status)                  \
  X(FixedText<256>, Subject)               \
  X(std::uint8_t, TeamTask)                \
  X(std::int32_t, TotalWork)               \
  QM_OL_PATTERN_FIELDS(X)                  \
  X(FixedText<256>, Categories)            \
  X(OleDate, CreationTime)                 \
  X(OleDate, LastModificationTime)

// An Outlook note as read.
#define QM_OL_NOTE_FIELDS(X)       \
  X(FixedText<32>, FolderName)     \
  X(FixedText<256>, Categories)    \
  X(FixedText<1024>, EntryID)      \
  X(FixedText<256>, Subject)       \
  X(FixedText<20480>, Body)        \
  X(OleDate, CreationTime)         \
  X(OleDate, LastModificationTime) \
  X(std::uint8_t, Saved)           \
  X(std::int32_t, Color)

struct OlEventRecord {
  QM_OL_RECORD(QM_OL_EVENT_FIELDS)
};

struct OlTaskRecord {
  QM_OL_RECORD(QM_OL_TASK_FIELDS)
};

struct OlNoteRecord {
  QM_OL_RECORD(QM_OL_NOTE_FIELDS)
};
