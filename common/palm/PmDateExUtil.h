#pragma once

#include <span>
#include <string>

#include "palm/PmRecordHeads.h"

// A layout-2 date-book record (27 fields).
struct PmDateExRecord : PmHead2 {
  std::int32_t start = 0;
  std::int32_t end = 0;
  std::string description;  // capacity 256
  std::int32_t field16 = 0;
  std::string note;  // capacity 8192
  std::int32_t untimed = 0;
  std::int32_t alarmSet = 0;
  std::int32_t alarmAdvance = 0;
  std::int32_t alarmUnit = 0;
  PmRepeat repeat;
  std::string location;  // capacity 256
  std::int32_t field24 = 0;
  std::string text25;
  std::string text26;

  static std::span<const PmFieldSpec<PmDateExRecord>> Fields();
  friend bool operator==(const PmDateExRecord&, const PmDateExRecord&) = default;
};

// "datebook.dat" of Palm Desktop 4.1.2 and later.
class PmDateExUtil final : public PmLoader<PmDateExRecord> {
 public:
  PmDateExUtil();
  explicit PmDateExUtil(const std::string& path);
};
