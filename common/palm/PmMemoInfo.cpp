#include "palm/PmMemoInfo.h"

// GCC 12 at -O3 reports the moved-from std::variant of an item as maybe uninitialised (a known
// false positive on variant moves); clang and lower levels are quiet.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#include "misc/CxDebugUtil.h"
#include "palm/PmUsers.h"

namespace {

constexpr PmSourceTexts kTexts = {
    "Load Palm Desktop Memos by file: %s",
    "Failed to load Palm Desktop Memos data file (%s)",
    "Check Palm Desktop Memos file version, file: %s",
    "Memos",
    "Failed to check Palm Desktop Memos data file type (%s)",
};

}  // namespace

PmMemoInfo::PmMemoInfo(std::uint32_t version)
    : generation_(PmLayoutForVersion(version, PmOldVersions::kUnknown)) {
  QM_LOG_INFO("Palm Desktop Version: %d", static_cast<int>(version));
}

PmMemoInfo::PmMemoInfo() : PmMemoInfo(GetPalmDesktopVersion()) {}

PmMemoInfo::~PmMemoInfo() {
  Clear();
}

void PmMemoInfo::Clear() {
  loaded_ = kPmLayoutNone;
  ClearLoaders();
  items_.Clear();
  manager_.Clear();
}

bool PmMemoInfo::LoadByUser(std::int32_t userId) {
  Clear();
  QM_LOG_INFO("Load Palm Desktop Memos by user: %d", userId);
  std::string folder;
  if (generation_ == kPmLayoutNone) {
    QM_LOG_ERROR("Unknown Palm Desktop version.");
  } else if (!GetUserDataFolder(userId, folder)) {
    QM_LOG_ERROR("Can not get Palm Desktop user data path. User ID=%d", userId);
  } else if (LoadByFolder(folder)) {
    return true;
  }
  QM_LOG_ERROR("Failed to load Palm Desktop Memo database by User: %d", userId);
  loaded_ = kPmLayoutFailed;
  return false;
}

bool PmMemoInfo::LoadByFolder(const std::string& userFolder) {
  Clear();
  if (generation_ == kPmLayoutNone || !LoadLayout(generation_, userFolder, true)) {
    loaded_ = kPmLayoutFailed;
    return false;
  }
  loaded_ = generation_;
  Build();
  return true;
}

bool PmMemoInfo::LoadByFile(const std::string& path) {
  if (path.empty()) return false;
  Clear();
  loaded_ = LoadFile(path, kTexts);
  if (loaded_ == kPmLayoutFailed) return false;
  Build();
  return true;
}

int PmMemoInfo::CheckFileType(const std::string& path) {
  return CheckFile(path, kTexts);
}

PmMemoItem* PmMemoInfo::First() {
  return items_.First();
}

PmMemoItem* PmMemoInfo::Next() {
  return items_.Next();
}

void PmMemoInfo::Build() {
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
    QM_LOG_ERROR("%zu Palm memos could not be placed in memory and were skipped.", unplaced_);
}

template <class Rec>
void PmMemoInfo::Add(int layout, const Rec& rec) {
  PmMemoItem* item = items_.Add(layout, rec);
  // Filled in place, saving a copy of every record: the manager was just cleared, and its
  // match index is only built by the first lookup, so no key goes stale.
  const CommonNote blank;
  CommonNote* added = item ? manager_.Add(&blank) : nullptr;
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

// The title is the first line; a memo written on another system may end its lines with a bare
// carriage return or line feed, which ends the title as well.
void SetBodyAndTitle(CommonNote& n, std::string_view text) {
  if (text.empty()) return;
  n.Body = text;
  n.Title = text.substr(0, text.find_first_of("\r\n"));
}

}  // namespace

void PmMemoInfo::Convert(const PmMemoRecord& r, CommonNote& n) {
  SetBodyAndTitle(n, codePage_.Decode(PmClip(r.text, 8192), 20479));
  n.Reserved = r.isPrivate ? 1u : 0u;
}

void PmMemoInfo::Convert(const PmMemoExRecord& r, CommonNote& n) {
  SetBodyAndTitle(n, codePage_.Decode(PmClip(r.text, 8192), 20479));
  n.Reserved = r.isPrivate ? 1u : 0u;
}

void PmMemoInfo::Convert(const PmMemoEx2Record& r, CommonNote& n) {
  SetBodyAndTitle(n, r.text.view());
  n.Reserved = r.isPrivate ? 1u : 0u;
}
