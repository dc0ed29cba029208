#include "palm/PmTodoInfo.h"

// GCC 12 at -O3 reports the moved-from std::variant of an item as maybe uninitialised (a known
// false positive on variant moves); clang and lower levels are quiet.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#include "misc/CxDebugUtil.h"
#include "palm/PmUsers.h"

namespace {

constexpr PmSourceTexts kTexts = {
    "Load Palm Desktop Tasks by file: %s",
    "Failed to load Palm Desktop Tasks file (%s)",
    "Check Palm Desktop Tasks file version, file: %s",
    "Task",
    "Failed to check Palm Desktop Tasks file type: (%s)",
};

// SourceType by generation, as the common task record numbers them.
constexpr std::uint32_t kSourceType[] = {0, 1, 2, 16};

}  // namespace

PmTodoInfo::PmTodoInfo(std::uint32_t version)
    : generation_(PmLayoutForVersion(version, PmOldVersions::kLayout1)) {
  QM_LOG_INFO("Palm Desktop Version: %d", static_cast<int>(version));
}

PmTodoInfo::PmTodoInfo() : PmTodoInfo(GetPalmDesktopVersion()) {}

PmTodoInfo::~PmTodoInfo() {
  Clear();
}

void PmTodoInfo::Clear() {
  loaded_ = kPmLayoutNone;
  ClearLoaders();
  items_.Clear();
  manager_.Clear();
}

bool PmTodoInfo::LoadByUser(std::int32_t userId) {
  Clear();
  QM_LOG_INFO("Load Palm Desktop Tasks by user: %d", userId);
  std::string folder;
  if (!GetUserDataFolder(userId, folder)) {
    QM_LOG_ERROR("Failed to get user database path by user ID.");
  } else if (LoadByFolder(folder)) {
    return true;
  }
  QM_LOG_ERROR("Failed to load Palm Desktop Tasks database by User: %d", userId);
  loaded_ = kPmLayoutFailed;
  return false;
}

bool PmTodoInfo::LoadByFolder(const std::string& userFolder) {
  Clear();
  if (!LoadLayout(generation_, userFolder, true)) {
    loaded_ = kPmLayoutFailed;
    return false;
  }
  loaded_ = generation_;
  Build();
  return true;
}

bool PmTodoInfo::LoadByFile(const std::string& path) {
  if (path.empty()) return false;
  Clear();
  loaded_ = LoadFile(path, kTexts);
  if (loaded_ == kPmLayoutFailed) return false;
  Build();
  return true;
}

int PmTodoInfo::CheckFileType(const std::string& path) {
  return CheckFile(path, kTexts);
}

PmTodoItem* PmTodoInfo::First() {
  return items_.First();
}

PmTodoItem* PmTodoInfo::Next() {
  return items_.Next();
}

void PmTodoInfo::Build() {
  unplaced_ = 0;
  items_.Reserve(LoadedRecords(loaded_));
  switch (loaded_) {
    case kPmLayout1:
      for (const auto& rec : layout1_.Records())
        if (PmIsLive(rec.status)) Add(kPmLayout1, rec);
      break;
    case kPmLayout2:
      for (const auto& rec : layout2_.Records())
        if (PmIsLive(rec.status)) Add(kPmLayout2, rec);
      break;
    case kPmLayout6x:
      for (const auto& rec : layout6_->Records())
        if (PmIsLive(rec.status)) Add(kPmLayout6x, rec);
      break;
    default:
      break;
  }
  if (unplaced_ > 0)
    QM_LOG_ERROR("%zu Palm to-dos could not be placed in memory and were skipped.", unplaced_);
}

template <class Rec>
void PmTodoInfo::Add(int layout, const Rec& rec) {
  PmTodoItem* item = items_.Add(layout, rec);
  // Filled in place, saving a copy of every record: the manager was just cleared, and its
  // match index is only built by the first lookup, so no key goes stale.
  const CommonTask blank;
  CommonTask* added = item ? manager_.Add(&blank) : nullptr;
  if (!added) {
    if (item) items_.DropLast();
    ++unplaced_;
    return;
  }
  Convert(rec, *added);
  added->SourceType = kSourceType[layout];
  added->Status = static_cast<std::uint32_t>(rec.status);
  if (added->Private) added->Sensitivity = 2;
  added->NativeRecord = NativeAttachment::Borrow(item);
  item->entry = added;
}

namespace {

template <std::size_t N>
void Put(FixedText<N>& field, const std::string& raw, std::size_t palmCapacity,
         const PmCodePage& cp, std::string& scratch) {
  if (raw.empty()) return;
  std::string_view in(raw);
  if (palmCapacity && in.size() >= palmCapacity) in = in.substr(0, palmCapacity - 1);
  scratch.clear();
  cp.Decode(in, scratch, N - 1);
  field = scratch;
}

template <std::size_t N, std::size_t M>
void Put(FixedText<N>& field, const FixedText<M>& text) {
  if (!text.empty()) field = text.view();
}

std::int32_t Importance(std::int32_t priority) {
  if (priority == 1) return 1;
  if (priority == 5) return 2;
  return 0;
}

}  // namespace

void PmTodoInfo::Convert(const PmTodoRecord& r, CommonTask& t) {
  Put(t.Subject, r.description, 8192, codePage_, scratch_);
  Put(t.Note, r.note, 8192, codePage_, scratch_);
  t.Complete = r.completed ? 1 : 0;
  t.DueDate = r.dueDate;
  t.Importance = Importance(r.priority);
  t.Private = r.isPrivate ? 1 : 0;
}

void PmTodoInfo::Convert(const PmTodoExRecord& r, CommonTask& t) {
  Put(t.Subject, r.description, 256, codePage_, scratch_);
  Put(t.Note, r.note, 8192, codePage_, scratch_);
  t.Complete = r.completed ? 1 : 0;
  t.DueDate = r.dueDate;
  t.Importance = Importance(r.priority);
  t.Private = r.isPrivate ? 1 : 0;
  t.ReminderSet = t.ReminderSet2 = r.alarmSet ? 1 : 0;
  t.Recurrence = PmRecurrenceFrom(r.repeat, clock_);
}

void PmTodoInfo::Convert(const PmTodoEx2Record& r, CommonTask& t) {
  Put(t.Subject, r.description);
  Put(t.Note, r.note);
  t.Complete = r.completed ? 1 : 0;
  t.DueDate = r.dueDate;
  t.Importance = Importance(r.priority);
  t.Private = r.isPrivate ? 1 : 0;
  t.ReminderSet = t.ReminderSet2 = r.alarmSet ? 1 : 0;
  t.Recurrence = PmRecurrenceFrom(r.repeat, clock_);
}
