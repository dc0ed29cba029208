#pragma once

#include <span>
#include <string>

#include "palm/PmRecordHeads.h"

// A layout-1 date-book record (15 fields).
struct PmDateRecord : PmHead1 {
  std::int32_t start = 0;
  std::int32_t end = 0;     // an integer field holding a Palm time value
  std::string description;  // capacity 512
  std::int32_t duration = 0;
  std::string note;  // capacity 8192
  std::int32_t untimed = 0;
  std::int32_t isPrivate = 0;
  std::int32_t categoryId = 0;
  std::int32_t alarmSet = 0;
  std::int32_t alarmAdvance = 0;
  std::int32_t alarmUnit = 0;  // 0 minutes, 1 hours, 2 days
  PmRepeat repeat;

  static std::span<const PmFieldSpec<PmDateRecord>> Fields();
  friend bool operator==(const PmDateRecord&, const PmDateRecord&) = default;
};

// "datebook.dat" of Palm Desktop before 4.1.2, and every date-book archive.
class PmDateUtil final : public PmLoader<PmDateRecord> {
 public:
  PmDateUtil();
  explicit PmDateUtil(const std::string& path);

  // Palm Desktop before 4.1.2 leaves records with a start or end of -1 unscheduled.
  static bool IsScheduled(const PmDateRecord& rec) { return rec.start != -1 && rec.end != -1; }
};
