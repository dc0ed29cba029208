#include "palm/PmDateInfo.h"

// GCC 12 at -O3 reports the moved-from std::variant of an item as maybe uninitialised (a known
// false positive on variant moves); clang and lower levels are quiet.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#include "misc/CxDebugUtil.h"
#include "palm/PmUsers.h"

namespace {

constexpr PmSourceTexts kTexts = {
    "Load Palm Desktop Calendar by file: %s",
    "Failed to load Palm Desktop Calendar data file: %s",
    "Check Palm Desktop Calendar file version, file: %s",
    "Calendar",
    "Failed to check Palm Desktop Calendar file type: (%s)",
};

}  // namespace

PmDateInfo::PmDateInfo(std::uint32_t version)
    : generation_(PmLayoutForVersion(version, PmOldVersions::kLayout1)) {
  QM_LOG_INFO("Palm Desktop Version: %d", static_cast<int>(version));
}

PmDateInfo::PmDateInfo() : PmDateInfo(GetPalmDesktopVersion()) {}

PmDateInfo::~PmDateInfo() {
  Clear();
}

void PmDateInfo::Clear() {
  loaded_ = kPmLayoutNone;
  ClearLoaders();
  items_.Clear();
  manager_.Clear();
}

bool PmDateInfo::LoadByUser(std::int32_t userId) {
  Clear();
  QM_LOG_INFO("Load Palm Desktop Calendar by user: %d", userId);
  std::string folder;
  if (!GetUserDataFolder(userId, folder)) {
    QM_LOG_ERROR("Failed to get user database path by user ID.");
  } else if (LoadByFolder(folder)) {
    return true;
  }
  QM_LOG_ERROR("Failed to open Palm Desktop Calendar database by User: %d", userId);
  loaded_ = kPmLayoutFailed;
  return false;
}

bool PmDateInfo::LoadByFolder(const std::string& userFolder) {
  Clear();
  if (!LoadLayout(generation_, userFolder, true)) {
    loaded_ = kPmLayoutFailed;
    return false;
  }
  loaded_ = generation_;
  Build();
  return true;
}

bool PmDateInfo::LoadByFile(const std::string& path) {
  if (path.empty()) return false;
  Clear();
  loaded_ = LoadFile(path, kTexts);
  if (loaded_ == kPmLayoutFailed) return false;
  Build();
  return true;
}

int PmDateInfo::CheckFileType(const std::string& path) {
  return CheckFile(path, kTexts);
}

PmDateItem* PmDateInfo::First() {
  return items_.First();
}

PmDateItem* PmDateInfo::Next() {
  return items_.Next();
}

void PmDateInfo::Build() {
  unplaced_ = 0;
  items_.Reserve(LoadedRecords(loaded_));
  switch (loaded_) {
    case kPmLayout1:
      for (const auto& rec : layout1_.Records())
        if (PmIsLive(rec.status) && PmDateUtil::IsScheduled(rec)) Add(kPmLayout1, rec);
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
    QM_LOG_ERROR("%zu Palm calendar records could not be placed in memory and were skipped.",
                 unplaced_);
}

template <class Rec>
void PmDateInfo::Add(int layout, const Rec& rec) {
  PmDateItem* item = items_.Add(layout, rec);
  // Filled in place, saving a copy of every record: the manager was just cleared, and its
  // match index is only built by the first lookup, so no key goes stale.
  const CommonEvent blank;
  CommonEvent* added = item ? manager_.Add(&blank) : nullptr;
  if (!added) {
    if (item) items_.DropLast();
    ++unplaced_;
    return;
  }
  Convert(rec, *added);
  added->SourceType = 1;
  added->Status = static_cast<std::uint32_t>(rec.status);
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

}  // namespace

void PmDateInfo::Convert(const PmDateRecord& r, CommonEvent& e) {
  Put(e.Subject, r.description, 512, codePage_, scratch_);
  Put(e.Description, r.note, 8192, codePage_, scratch_);
  e.AllDay = r.untimed ? 1 : 0;
  e.Start = clock_.ToSystemTime(r.start);
  e.End = clock_.ToSystemTime(r.end);
  PmSetAlarm(e, r.alarmSet != 0, r.alarmAdvance, r.alarmUnit);
  e.Recurrence = PmRecurrenceFrom(r.repeat, clock_);
}

void PmDateInfo::Convert(const PmDateExRecord& r, CommonEvent& e) {
  Put(e.Subject, r.description, 256, codePage_, scratch_);
  Put(e.Description, r.note, 8192, codePage_, scratch_);
  Put(e.Location, r.location, 256, codePage_, scratch_);
  e.AllDay = r.untimed ? 1 : 0;
  e.Start = clock_.ToSystemTime(r.start);
  e.End = clock_.ToSystemTime(r.end);
  PmSetAlarm(e, r.alarmSet != 0, r.alarmAdvance, r.alarmUnit);
  e.Recurrence = PmRecurrenceFrom(r.repeat, clock_);
}

void PmDateInfo::Convert(const PmDateEx2Record& r, CommonEvent& e) {
  Put(e.Subject, r.summary);
  Put(e.Description, r.note);
  Put(e.Location, r.location);
  e.AllDay = r.untimed ? 1 : 0;
  e.Start = clock_.ToSystemTime(r.startTime);
  e.End = clock_.ToSystemTime(r.endTime);
  PmSetAlarm(e, r.alarm, r.alarmAdvance, r.alarmUnit);
  e.Recurrence = PmRecurrenceFrom(r.repeat, clock_);
}
