#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

#include "misc/CxDebugUtil.h"
#include "misc/CxLoadReport.h"
#include "misc/FixedText.h"
#include "misc/NativeAttachment.h"
#include "palm/PmCodePage.h"
#include "palm/PmItem.h"
#include "palm/PmSourceBase.h"
#include "palm/PmSourceLoaders.h"
#include "palm/PmUsers.h"

// A Palm text into a common field: cut to the Palm field's capacity (0: none), decoded from the
// code page through `scratch` and cut to the common field at a whole character. An empty text
// leaves the field as it is.
template <std::size_t N>
void PmPutText(FixedText<N>& field, const std::string& raw, std::size_t palmCapacity,
               const PmCodePage& cp, std::string& scratch) {
  if (raw.empty()) return;
  std::string_view in(raw);
  if (palmCapacity && in.size() >= palmCapacity) in = in.substr(0, palmCapacity - 1);
  scratch.clear();
  cp.Decode(in, scratch, N - 1);
  field = scratch;
}

// A text the 6.x database already gives in UTF-8.
template <std::size_t N, std::size_t M>
void PmPutText(FixedText<N>& field, const FixedText<M>& text) {
  if (!text.empty()) field = text.view();
}

// The log texts of loading by user; each takes the user ID, which noFolder may leave out.
struct PmUserTexts {
  const char* byUser;    // loading by user starts
  const char* noFolder;  // the user has no data folder
  const char* failed;    // the user's database could not be loaded
};

// What every Palm source does alike around its loaders: keep the items and common records of
// one load, build them from the live records of the loaded layout and hand them out. Derived
// (which befriends this class) supplies what differs:
//   kTexts                      the file texts, a PmSourceTexts
//   kUnplaced                   the error text of Build; takes the count of skipped records
//   Convert(rec, common)        one overload per record type
//   Takes(rec)                  whether a live record is converted (default: every one)
//   StartBuild(layout)          before the first record (default: nothing)
//   Finish(layout, item, common)  after the conversion (default: SourceType 1)
template <class Derived, class Layout1, class Layout2, class Ex2Record, class CommonMgr, class Item>
class PmSource : protected PmSourceLoaders<Layout1, Layout2, Ex2Record> {
  using Loaders = PmSourceLoaders<Layout1, Layout2, Ex2Record>;
  using Common = std::remove_pointer_t<decltype(Item::entry)>;

 public:
  PmSource(const PmSource&) = delete;
  PmSource& operator=(const PmSource&) = delete;

  using Loaders::SetEx2Factory;

  bool LoadByFile(const std::string& path) {
    CxFirstError cause;
    Clear();
    if (path.empty()) QM_LOG_ERROR("No Palm Desktop file was given.");
    if (!keepNative_) StreamFrom(true);
    loaded_ = path.empty() ? kPmLayoutFailed : this->LoadFile(path, Derived::kTexts);
    if (!keepNative_) StreamFrom(false);
    if (loaded_ == kPmLayoutFailed) {
      manager_.Clear();
    } else if (streamed_ && (loaded_ == kPmLayout1 || loaded_ == kPmLayout2)) {
      if (unplaced_ > 0) QM_LOG_ERROR(Derived::kUnplaced, unplaced_);
    } else {
      Build();
    }
    return FinishReport(loaded_ != kPmLayoutFailed, cause);
  }
  // Whether a load by file keeps the Palm records behind the common ones (the default). Without
  // them each 4.x record is converted as it is read and dropped, so that a large file's Palm
  // and common records are never all held at once; the common records then have no native
  // record and the source hands out no items.
  void SetKeepNative(bool keep) { keepNative_ = keep; }
  // What the last load kept (records handed out), where it stopped early, or why it failed.
  const CxLoadReport& Report() const { return report_; }
  int CheckFileType(const std::string& path) { return Loaders::CheckFile(path, Derived::kTexts); }
  // False for a code page that cannot be decoded; the texts would then read as Windows-1252.
  bool SetCodePage(std::uint32_t codePage) {
    codePage_ = PmCodePage(codePage);
    return PmCodePage::Known(codePage);
  }
  void Clear() {
    streamed_ = false;
    report_.Reset();
    loaded_ = kPmLayoutNone;
    this->ClearLoaders();
    items_.Clear();
    manager_.Clear();
  }

  int LoadedLayout() const { return loaded_; }
  CommonMgr& Manager() { return manager_; }
  Item* First() { return items_.First(); }
  Item* Next() { return items_.Next(); }
  std::size_t ItemCount() const { return items_.size(); }

  const Layout1& Layout1Loader() const { return this->layout1_; }
  const Layout2& Layout2Loader() const { return this->layout2_; }

 protected:
  explicit PmSource(std::uint32_t version) {
    QM_LOG_INFO("Palm Desktop Version: %d", static_cast<int>(version));
  }
  ~PmSource() { Clear(); }

  void Build() {
    unplaced_ = 0;
    items_.Reserve(this->LoadedRecords(loaded_));
    Self().StartBuild(loaded_);
    switch (loaded_) {
      case kPmLayout1:
        for (const auto& rec : this->layout1_.Records())
          if (PmIsLive(rec.status) && Derived::Takes(rec)) Add(kPmLayout1, rec);
        break;
      case kPmLayout2:
        for (const auto& rec : this->layout2_.Records())
          if (PmIsLive(rec.status) && Derived::Takes(rec)) Add(kPmLayout2, rec);
        break;
      case kPmLayout6x:
        for (const auto& rec : this->layout6_->Records())
          if (PmIsLive(rec.status) && Derived::Takes(rec)) Add(kPmLayout6x, rec);
        break;
      default:
        break;
    }
    if (unplaced_ > 0) QM_LOG_ERROR(Derived::kUnplaced, unplaced_);
  }

  // Ends a load: the report from the loader that read it, or the first error as the reason.
  bool FinishReport(bool ok, const CxFirstError& cause) {
    report_.Reset();
    if (!ok) {
      report_.reason =
          cause.Text().empty() ? "the Palm Desktop data could not be read" : cause.Text();
      return false;
    }
    report_.records = manager_.Count();
    const CxLoadReport* loader = nullptr;
    CxLoadReport ex2;
    if (loaded_ == kPmLayout1) loader = &this->layout1_.Report();
    if (loaded_ == kPmLayout2) loader = &this->layout2_.Report();
    if (loaded_ == kPmLayout6x && this->layout6_) {
      ex2 = this->layout6_->Report();
      loader = &ex2;
    }
    std::string where = loader && !loader->complete ? loader->stoppedAt : std::string();
    if (unplaced_ > 0) {
      where +=
          (where.empty() ? "" : "; ") + std::to_string(unplaced_) + " records could not be kept";
    }
    if (!where.empty()) report_.StopAt(std::move(where));
    return true;
  }

  template <class Rec>
  static bool Takes(const Rec&) {
    return true;
  }
  void StartBuild(int) {}
  void Finish(int, Item&, Common& common) { common.SourceType = 1; }

  int loaded_ = kPmLayoutNone;
  PmItemList<Item> items_;
  std::size_t unplaced_ = 0;  // records the manager could not take, logged once per load
  CommonMgr manager_;
  PmCodePage codePage_;
  CxLoadReport report_;

 private:
  Derived& Self() { return static_cast<Derived&>(*this); }

  void StreamFrom(bool on) {
    if (!on) {
      this->layout1_.SetRecordSink(nullptr);
      this->layout2_.SetRecordSink(nullptr);
      return;
    }
    streamed_ = true;
    this->layout1_.SetRecordSink([this](const auto* rec) { this->Stream(kPmLayout1, rec); });
    this->layout2_.SetRecordSink([this](const auto* rec) { this->Stream(kPmLayout2, rec); });
  }

  // One record as the loader reads it; null when the loader starts (over).
  template <class Rec>
  void Stream(int layout, const Rec* rec) {
    if (!rec) {
      manager_.Clear();
      unplaced_ = 0;
      Self().StartBuild(layout);
      return;
    }
    if (!PmIsLive(rec->status) || !Derived::Takes(*rec)) return;
    const Common blank;
    Common* added = manager_.Add(&blank);
    if (!added) {
      ++unplaced_;
      return;
    }
    Item item;  // lives for the conversion only
    item.Set(layout, *rec);
    Self().Convert(*rec, *added);
    Self().Finish(layout, item, *added);
    added->Status = static_cast<std::uint32_t>(rec->status);
  }

  bool keepNative_ = true;
  bool streamed_ = false;  // the last load converted while reading

  template <class Rec>
  void Add(int layout, const Rec& rec) {
    Item* item = items_.Add(layout, rec);
    // Filled in place, saving a copy of every record: the manager was just cleared, and its
    // match index is only built by the first lookup, so no key goes stale.
    const Common blank;
    Common* added = item ? manager_.Add(&blank) : nullptr;
    if (!added) {
      if (item) items_.DropLast();
      ++unplaced_;
      return;
    }
    Self().Convert(rec, *added);
    Self().Finish(layout, *item, *added);
    added->Status = static_cast<std::uint32_t>(rec.status);
    added->NativeRecord = NativeAttachment::Borrow(item);
    item->entry = added;
  }
};

// The calendar, task and note sources: by user they load the one generation the Palm Desktop
// version writes. Derived adds kUserTexts, a PmUserTexts.
template <class Derived, class Layout1, class Layout2, class Ex2Record, class CommonMgr, class Item>
class PmGenerationSource : public PmSource<Derived, Layout1, Layout2, Ex2Record, CommonMgr, Item> {
  using Source = PmSource<Derived, Layout1, Layout2, Ex2Record, CommonMgr, Item>;

 public:
  int Generation() const { return generation_; }

  bool LoadByUser(std::int32_t userId) {
    CxFirstError cause;
    return this->FinishReport(LoadUser(userId), cause);
  }

  bool LoadByFolder(const std::string& userFolder) {
    CxFirstError cause;
    return this->FinishReport(LoadFolder(userFolder), cause);
  }

 protected:
  PmGenerationSource(std::uint32_t version, PmOldVersions old)
      : Source(version),
        generation_(PmLayoutForVersion(version, old)),
        unread_(version == kPmVersionUnread) {}

 private:
  bool LoadUser(std::int32_t userId) {
    this->Clear();
    QM_LOG_INFO(Derived::kUserTexts.byUser, userId);
    std::string folder;
    // Only the note source knows no generation, for versions before 3.5.
    if (generation_ == kPmLayoutNone) {
      QM_LOG_ERROR("Unknown Palm Desktop version.");
    } else if (!GetUserDataFolder(userId, folder)) {
      QM_LOG_ERROR(Derived::kUserTexts.noFolder, userId);
    } else if (LoadFolder(folder)) {
      return true;
    }
    QM_LOG_ERROR(Derived::kUserTexts.failed, userId);
    this->loaded_ = kPmLayoutFailed;
    return false;
  }

  bool LoadFolder(const std::string& userFolder) {
    this->Clear();
    const int generation = unread_ ? this->GenerationInFolder(userFolder) : generation_;
    if (generation == kPmLayoutNone || !this->LoadLayout(generation, userFolder, true)) {
      this->loaded_ = kPmLayoutFailed;
      return false;
    }
    this->loaded_ = generation;
    this->Build();
    return true;
  }

  int generation_;
  bool unread_;  // no Palm Desktop version: each user's files choose the generation
};
