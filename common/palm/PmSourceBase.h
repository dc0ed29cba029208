#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "misc/CommonEvent.h"
#include "misc/WinTypes.h"
#include "palm/PmRepeat.h"

// What the four Palm sources share: which database generation a Palm Desktop version means,
// which loader a file name asks for, and the pieces of the calendar conversion that to-dos reuse.

// Loaded layout values; 3 is the 6.x database.
enum PmLayout : int {
  kPmLayoutNone = 0,
  kPmLayout1 = 1,
  kPmLayout2 = 2,
  kPmLayout6x = 3,
  kPmLayoutFailed = 255,
};

// Contacts and memos know no layout below Palm Desktop 3.5; the date book and to-dos read
// anything older as layout 1.
enum class PmOldVersions : std::uint8_t { kUnknown, kLayout1 };

// The Palm Desktop version when palm.exe cannot be read, as in a folder copied from an old PC.
constexpr std::uint32_t kPmVersionUnread = 0xFFFFFFFF;

// 0 (unknown), 1, 2 or 3 for a version number major*10000 + minor*100 + build.
int PmLayoutForVersion(std::uint32_t version, PmOldVersions old);

enum class PmFileKind : std::uint8_t { kOther, kDat, kMdb };
PmFileKind PmFileKindOf(const std::string& path);  // by extension, any case

// `folder` + `name` when that exists, else the entry of `folder` whose name differs only in case
// (files copied from Windows keep whatever case they had; of several, the first by byte order),
// else `folder` + `name` as given. `folder` may lack its trailing separator.
std::string PmEntryNoCase(const std::string& folder, const std::string& name);

// Palm time values to local date and time. localtime_r per value is far too slow for large
// date books, so UTC offsets are cached per quarter hour (every zone changes offset on a
// quarter hour).
class PmLocalClock {
 public:
  SYSTEMTIME ToSystemTime(std::int32_t value);
  int Year(std::int32_t value) { return ToSystemTime(value).wYear; }

 private:
  struct Slot {
    std::int64_t bucket = INT64_MIN;
    std::int32_t offset = 0;
  };
  std::int32_t OffsetAt(std::int64_t value);
  std::array<Slot, 1024> cache_{};
};

// The repeat rule as a common recurrence; `start` is the event's start (for nothing yet).
CommonRecurrence PmRecurrenceFrom(const PmRepeat& rule, PmLocalClock& clock);

// The exception dates of a repeat rule as days of local time (Palm Desktop stores each as the
// local midnight of the deleted occurrence's day). Returns how many did not fit the list.
std::size_t PmExceptionDaysFrom(const PmRepeat& rule, PmLocalClock& clock, ExceptionDayList& out);

// The alarm as reminders; unit 0 minutes, 1 hours, 2 days.
void PmSetAlarm(CommonEvent& event, bool set, std::int32_t advance, std::int32_t unit);
