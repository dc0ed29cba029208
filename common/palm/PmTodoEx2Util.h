#pragma once

#include <span>

#include "palm/PmDBEx2Util.h"
#include "palm/PmRepeat.h"

// A row of table "Main" of "Todolist.mdb" (17 columns), values as stored.
struct PmTodoEx2Record : PmEx2Head {
  FixedText<8192> note;
  FixedText<256> description;
  std::int32_t dueDate = 0;  // a Palm time value
  bool completed = false;
  std::int32_t priority = 0;  // 1 highest to 5 lowest
  bool repeatOnCompleteDate = false;
  std::int32_t completeDate = 0;
  bool alarmSet = false;
  std::int32_t alarmTime = 0;
  std::int32_t alarmAdvance = 0;
  std::int32_t repeatStartDate = 0;
  FixedText<256> repeatInfo;

  // Filled after loading from repeatInfo; a yearly text gives no repeat.
  PmRepeat repeat;
  bool repeatReadable = true;

  static std::span<const PmEx2Column<PmTodoEx2Record>> Columns();
};

// "Todolist.mdb" of Palm Desktop 6.x.
class PmTodoEx2Util final : public PmEx2Loader<PmTodoEx2Record> {
 public:
  PmTodoEx2Util() : PmEx2Loader(PmDbKind::kTasks) {}

 protected:
  void PostProcess(PmTodoEx2Record& rec) override;
};
