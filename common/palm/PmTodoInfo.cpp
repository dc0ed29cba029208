#include "palm/PmTodoInfo.h"

#include "palm/PmUsers.h"

const PmSourceTexts PmTodoInfo::kTexts = {
    "Load Palm Desktop Tasks by file: %s",
    "Failed to load Palm Desktop Tasks file (%s)",
    "Check Palm Desktop Tasks file version, file: %s",
    "Task",
    "Failed to check Palm Desktop Tasks file type: (%s)",
};
const PmUserTexts PmTodoInfo::kUserTexts = {
    "Load Palm Desktop Tasks by user: %d",
    "Failed to get user database path by user ID.",
    "Failed to load Palm Desktop Tasks database by User: %d",
};
const char* const PmTodoInfo::kUnplaced =
    "%zu Palm to-dos could not be placed in memory and were skipped.";

namespace {

// SourceType by generation, as the common task record numbers them.
constexpr std::uint32_t kSourceType[] = {0, 1, 2, 16};

}  // namespace

PmTodoInfo::PmTodoInfo(std::uint32_t version)
    : PmGenerationSource(version, PmOldVersions::kLayout1) {}

PmTodoInfo::PmTodoInfo() : PmTodoInfo(GetPalmDesktopVersion()) {}

void PmTodoInfo::Finish(int layout, PmTodoItem&, CommonTask& t) {
  t.SourceType = kSourceType[layout];
  if (t.Private) t.Sensitivity = 2;
}

namespace {

std::int32_t Importance(std::int32_t priority) {
  if (priority == 1) return 1;
  if (priority == 5) return 2;
  return 0;
}

}  // namespace

void PmTodoInfo::Convert(const PmTodoRecord& r, CommonTask& t) {
  PmPutText(t.Subject, r.description, 8192, codePage_, scratch_);
  PmPutText(t.Note, r.note, 8192, codePage_, scratch_);
  t.Complete = r.completed ? 1 : 0;
  t.DueDate = r.dueDate;
  t.Importance = Importance(r.priority);
  t.Private = r.isPrivate ? 1 : 0;
}

void PmTodoInfo::Convert(const PmTodoExRecord& r, CommonTask& t) {
  PmPutText(t.Subject, r.description, 256, codePage_, scratch_);
  PmPutText(t.Note, r.note, 8192, codePage_, scratch_);
  t.Complete = r.completed ? 1 : 0;
  t.DueDate = r.dueDate;
  t.Importance = Importance(r.priority);
  t.Private = r.isPrivate ? 1 : 0;
  t.ReminderSet = t.ReminderSet2 = r.alarmSet ? 1 : 0;
  t.Recurrence = PmRecurrenceFrom(r.repeat, clock_);
}

void PmTodoInfo::Convert(const PmTodoEx2Record& r, CommonTask& t) {
  PmPutText(t.Subject, r.description);
  PmPutText(t.Note, r.note);
  t.Complete = r.completed ? 1 : 0;
  t.DueDate = r.dueDate;
  t.Importance = Importance(r.priority);
  t.Private = r.isPrivate ? 1 : 0;
  t.ReminderSet = t.ReminderSet2 = r.alarmSet ? 1 : 0;
  t.Recurrence = PmRecurrenceFrom(r.repeat, clock_);
}
