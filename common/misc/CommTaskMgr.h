#pragma once

#include <array>

#include "misc/CommMgr.h"
#include "misc/CommonTask.h"

enum TaskCode : std::uint32_t {
  kTaskSubject = 0,
  kTaskNote = 1,
  kTaskImportance = 2,
  kTaskComplete = 3,
  kTaskReminderSet = 5,
  kTaskPrivate = 6,
};

struct TaskMatchTraits {
  using Record = CommonTask;
  static constexpr std::array<std::uint32_t, 1> kKeys = {kTaskSubject};
  // Code 4 names nothing and code 0 repeats the key: in effect Importance only.
  static constexpr std::array<std::uint32_t, 4> kCompare = {kTaskImportance, 4, kTaskSubject,
                                                            kTaskSubject};
  static MatchValue Extract(const CommonTask& t, std::uint32_t code);
  static void Update(CommonTask& stored, const CommonTask& incoming);
};

class CommTaskMgr : public CommMgr<TaskMatchTraits> {};
