#pragma once

#include <span>
#include <string>

#include "palm/PmRecordHeads.h"

// A layout-2 to-do record (25 fields).
struct PmTodoExRecord : PmHead2 {
  std::string description;  // capacity 256
  std::int32_t dueDate = 0;
  std::int32_t completed = 0;
  std::int32_t priority = 0;
  std::string note;  // capacity 8192
  std::int32_t repeatAfterCompletion = 0;
  std::int32_t completionDate = 0;
  std::int32_t alarmSet = 0;
  std::int32_t alarmTime = 0;
  std::int32_t alarmDaysInAdvance = 0;
  std::int32_t date23 = 0;
  PmRepeat repeat;

  static std::span<const PmFieldSpec<PmTodoExRecord>> Fields();
  friend bool operator==(const PmTodoExRecord&, const PmTodoExRecord&) = default;
};

// "todo.dat" of Palm Desktop 4.1.2 and later.
class PmTodoExUtil final : public PmLoader<PmTodoExRecord> {
 public:
  PmTodoExUtil();
  explicit PmTodoExUtil(const std::string& path);
};
