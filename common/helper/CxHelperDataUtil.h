#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

#include "helper/HelperCodes.h"
#include "misc/CxDebugUtil.h"
#include "misc/CxFile.h"
#include "misc/CxLoadReport.h"
#include "misc/NativeAttachment.h"
#include "misc/RecordStatus.h"
#include "platform/DataFolderLock.h"

// Names that make up one data type's log lines, e.g. {"Contacts", "Contact", "Contacts"}.
struct HelperTexts {
  const char* title;
  const char* record;
  const char* records;
};

// One data type of a helper-based connector that loads and hands back what it loaded: the native
// records read from the helper's data file and, in step with them, their common records in a
// manager (position i of the native list belongs to position i of the manager).
//
// `Base` is the connector family's base (derived from CxHelperBaseUtil); a data-type class
// supplies the native record layout (ReadRecord, WriteRecord) and the conversion to common.
template <class Base, class Native, class Manager>
class CxHelperLoadUtil : public Base {
 public:
  using Common = typename Manager::Record;

  ~CxHelperLoadUtil() override { CxHelperLoadUtil::Unload(); }

  bool Load() override {
    Unload();
    report_.Reset();
    const HelperTexts* t = Texts();
    if (t) QM_LOG_INFO("Start loading %s.", t->title);
    platform::DataFolderLock lock;
    bool ok = this->HoldFolder(lock);
    if (ok) {
      // A helper that fails must not leave an earlier run's data to be taken for its own.
      ::unlink(this->DataFilePath().c_str());
      ok = this->RunHelper(kHelperLoad) && ReadDataFile();
    }
    FinishReport(ok);
    if (t && ok) QM_LOG_INFO("Load %s successfully.", t->title);
    if (t && !ok) QM_LOG_ERROR("Error loading %s.", t->title);
    return ok;
  }

  void Unload() override {
    // The manager's records may borrow the natives: clear it first.
    manager_.Clear();
    natives_.clear();
    Base::Unload();
  }

  bool Submit() override {
    if (!this->Changed()) return true;
    platform::DataFolderLock lock;
    if (!this->HoldFolder(lock)) return false;
    if (!WriteDataFile()) {
      if (const HelperTexts* t = Texts())
        QM_LOG_ERROR("Failed to save %s record information to temperary file.", t->records);
      return false;
    }
    if (!this->RunHelper(kHelperSubmit)) return false;
    // Records the helper reported as failed stay marked, so that another submit sends them.
    if (!this->HasError()) this->SetChanged(false);
    return true;
  }

  // Appends the records of a data file without running the helper: the working folder's data
  // file when `path` is empty, else that file (a bare name is taken in the working folder).
  // Report() tells how many records it kept, or why it failed.
  bool ReadDataFile(std::string_view name = {}) {
    const HelperTexts* t = Texts();
    std::string path = this->FilePath(name);
    report_.Reset();
    if (t) QM_LOG_INFO("Start loading %s from temperary file: %s", t->title, path.c_str());
    CxFile file;
    if (!file.Open(path, "rb")) {
      if (t) QM_LOG_ERROR("Failed to open file: %s", path.c_str());
      report_.reason = "The data file " + path + " cannot be read: " + file.ErrorText() + ".";
      return false;
    }
    std::int32_t count = 0;
    if (!file.ReadInt32(count) || count < 0) {
      if (t) QM_LOG_ERROR("Data file %s has no valid record count.", path.c_str());
      report_.reason = "The data file " + path + " has no valid record count.";
      return false;
    }
    if (t) QM_LOG_INFO("There are %d %s records in total.", count, t->record);
    // The count is the helper's word only: records are read while the file has them.
    for (std::int32_t i = 0; i < count; ++i) {
      auto native = std::make_unique<Native>();
      if (!ReadRecord(file, *native) || file.Failed()) {
        if (t) QM_LOG_ERROR("Data file %s ends after %d of %d records.", path.c_str(), i, count);
        report_.records = natives_.size();
        report_.reason = "The data file " + path + " ends after " + std::to_string(i) + " of " +
                         std::to_string(count) + " records.";
        return false;
      }
      Common common{};
      ToCommon(*native, common);
      if (!Attach(std::move(common), std::move(native))) {
        report_.records = natives_.size();
        report_.reason = "Record " + std::to_string(i + 1) + " of " + path + " could not be kept.";
        return false;
      }
    }
    report_.records = natives_.size();
    if (t) QM_LOG_INFO("Load %s information from file successfully.", t->title);
    return true;
  }

  // Writes every native record, in list order, to the data file (or `name`, as above).
  bool WriteDataFile(std::string_view name = {}) {
    const HelperTexts* t = Texts();
    std::string path = this->FilePath(name);
    if (t) QM_LOG_INFO("Start saving %s information to file: %s", t->title, path.c_str());
    CxFile file;
    // Replaced whole, owner-only: personal data, like everything else in the working folder.
    if (!file.Replace(path)) {
      if (t) QM_LOG_ERROR("Failed to open file: %s (%s)", path.c_str(), file.ErrorText().c_str());
      this->SetError("The data file " + path + " cannot be written: " + file.ErrorText() + ".");
      return false;
    }
    file.WriteInt32(static_cast<std::int32_t>(natives_.size()));
    for (const auto& native : natives_) WriteRecord(file, *native);
    if (!file.Close()) {
      if (t) QM_LOG_ERROR("Failed to write file: %s (%s)", path.c_str(), file.ErrorText().c_str());
      this->SetError("The data file " + path + " cannot be written: " + file.ErrorText() + ".");
      return false;
    }
    if (t) QM_LOG_INFO("Save %s information to file successfully.", t->title);
    return true;
  }

  Manager& Records() { return manager_; }
  // What the last Load (or ReadDataFile) kept and, when it failed, why.
  const CxLoadReport& Report() const { return report_; }
  std::size_t NativeCount() const { return natives_.size(); }
  const Native* NativeAt(std::size_t i) const {
    return i < natives_.size() ? natives_[i].get() : nullptr;
  }

 protected:
  // The data type's log names; null for one that logs nothing of its own.
  virtual const HelperTexts* Texts() const = 0;
  // The SourceType of the common records this connector makes.
  virtual std::uint32_t SourceTypeCode() const = 0;
  // Whether each stored common record borrows its native record as NativeRecord.
  virtual bool AttachesNatives() const { return true; }
  // One record of the data file; false when the file ends or is broken.
  virtual bool ReadRecord(CxFile& file, Native& record) = 0;
  virtual void WriteRecord(CxFile& file, const Native& record) = 0;
  // `common` starts empty.
  virtual void ToCommon(const Native& native, Common& common) = 0;

  // Appends the pair, keeping both lists in step. Null when the manager refuses the record.
  Common* Attach(Common record, std::unique_ptr<Native> native) {
    record.SourceType = SourceTypeCode();
    record.NativeRecord.reset();
    Common* stored = manager_.Add(&record);
    if (!stored) return nullptr;
    if (AttachesNatives()) stored->NativeRecord = NativeAttachment::Borrow(native.get());
    natives_.push_back(std::move(native));
    return stored;
  }

  // Completes the report of a load: what was kept, and the reason the person should see when
  // the load failed or the helper reported an error.
  void FinishReport(bool ok) {
    report_.records = natives_.size();
    if (this->HasError())
      report_.reason = this->ErrorText();
    else if (!ok && report_.reason.empty())
      report_.reason = "The helper program left no readable data.";
  }

  std::vector<std::unique_ptr<Native>> natives_;
  Manager manager_;
  CxLoadReport report_;
};

// A data type that also takes records to submit: AddRecord, UpdateRecord and AddOrUpdate turn
// common records into native ones marked with their action.
template <class Base, class Native, class Manager>
class CxHelperDataUtil : public CxHelperLoadUtil<Base, Native, Manager> {
 public:
  using Common = typename Manager::Record;

  // Stores a copy of `record` with a new native record marked to be added. Null on failure.
  Common* AddRecord(const Common& record, bool submitNow) {
    auto native = std::make_unique<Native>();
    FromCommon(record, *native, kHelperActionAdd);
    Common* stored = this->Attach(record, std::move(native));
    if (!stored) return nullptr;
    this->SetChanged(true);
    if (submitNow) this->Submit();
    return stored;
  }

  // Copies `record` into the native record and the stored record at `position`.
  bool UpdateRecord(const Common& record, std::int32_t position, bool submitNow) {
    if (position < 0 || static_cast<std::size_t>(position) >= this->natives_.size()) return false;
    FromCommon(record, *this->natives_[static_cast<std::size_t>(position)], kHelperActionUpdate);
    this->manager_.UpdateAt(&record, position);
    this->SetChanged(true);
    if (submitNow) this->Submit();
    return true;
  }

  // Adds a record without a counterpart, updates a differing counterpart; false when the
  // record is already there unchanged.
  bool AddOrUpdate(const Common* record, bool submitNow) {
    std::int32_t position = 0;
    switch (this->manager_.Lookup(record, nullptr, &position)) {
      case kLookupDiff:
        return UpdateRecord(*record, position, submitNow);
      case kLookupNew:
        return AddRecord(*record, submitNow) != nullptr;
      default:
        return false;
    }
  }

 protected:
  // Writes the common record's fields into `native` and marks it with `action`.
  virtual void FromCommon(const Common& common, Native& native, HelperAction action) = 0;
};
