#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include <unistd.h>

#include "misc/CxDebugUtil.h"
#include "misc/CxFile.h"
#include "misc/NativeAttachment.h"
#include "misc/RecordStatus.h"

// Action marks of a native record to submit.
enum HelperAction : std::int32_t { kHelperActionAdd = 1, kHelperActionUpdate = 2 };

// Names that make up one data type's log lines, e.g. {"Google Contacts", "Contact", "Contacts"}.
struct HelperTexts {
  const char* title;
  const char* record;
  const char* records;
};

// One data type of a helper-based connector: the native records read from the helper's data
// file and, in step with them, their common records in a manager. Position i of the native list
// belongs to position i of the manager, whose record borrows it as its NativeRecord.
//
// `Base` is the connector family's base (CxGAppBaseUtil, ...); a data-type class supplies the
// native record layout (ReadRecord, WriteRecord) and the two conversions.
template <class Base, class Native, class Manager>
class CxHelperDataUtil : public Base {
 public:
  using Common = typename Manager::Record;

  ~CxHelperDataUtil() override { CxHelperDataUtil::Unload(); }

  bool Load() override {
    Unload();
    const HelperTexts& t = Texts();
    QM_LOG_INFO("Start loading %s.", t.title);
    // A helper that fails must not leave an earlier run's data to be taken for its own.
    ::unlink(this->DataFilePath().c_str());
    bool ok = this->RunHelper(kHelperLoad) && ReadDataFile();
    if (ok)
      QM_LOG_INFO("Load %s successfully.", t.title);
    else
      QM_LOG_ERROR("Error loading %s.", t.title);
    return ok;
  }

  void Unload() override {
    ClearRecords();
    Base::Unload();
  }

  bool Submit() override {
    if (!this->Changed()) return true;
    if (!WriteDataFile()) {
      QM_LOG_ERROR("Failed to save %s record information to temperary file.", Texts().records);
      return false;
    }
    if (!this->RunHelper(kHelperSubmit)) return false;
    // Records the helper reported as failed stay marked, so that another submit sends them.
    if (!this->HasError()) this->SetChanged(false);
    return true;
  }

  // Stores a copy of `record` with a new native record marked to be added. Null on failure.
  Common* AddRecord(const Common& record, bool submitNow) {
    auto native = std::make_unique<Native>();
    FromCommon(record, *native, kHelperActionAdd);
    Common* stored = Attach(record, std::move(native));
    if (!stored) return nullptr;
    this->SetChanged(true);
    if (submitNow) Submit();
    return stored;
  }

  // Copies `record` into the native record and the stored record at `position`.
  bool UpdateRecord(const Common& record, std::int32_t position, bool submitNow) {
    if (position < 0 || static_cast<std::size_t>(position) >= natives_.size()) return false;
    FromCommon(record, *natives_[static_cast<std::size_t>(position)], kHelperActionUpdate);
    manager_.UpdateAt(&record, position);
    this->SetChanged(true);
    if (submitNow) Submit();
    return true;
  }

  // Adds a record without a counterpart, updates a differing counterpart; false when the
  // record is already there unchanged.
  bool AddOrUpdate(const Common* record, bool submitNow) {
    std::int32_t position = 0;
    switch (manager_.Lookup(record, nullptr, &position)) {
      case kLookupDiff:
        return UpdateRecord(*record, position, submitNow);
      case kLookupNew:
        return AddRecord(*record, submitNow) != nullptr;
      default:
        return false;
    }
  }

  Manager& Records() { return manager_; }
  std::size_t NativeCount() const { return natives_.size(); }
  const Native* NativeAt(std::size_t i) const {
    return i < natives_.size() ? natives_[i].get() : nullptr;
  }

 protected:
  virtual const HelperTexts& Texts() const = 0;
  // The SourceType of the common records this connector makes.
  virtual std::uint32_t SourceTypeCode() const = 0;
  // One record of the data file; false when the file ends or is broken.
  virtual bool ReadRecord(CxFile& file, Native& record) = 0;
  virtual void WriteRecord(CxFile& file, const Native& record) = 0;
  // `common` starts empty.
  virtual void ToCommon(const Native& native, Common& common) = 0;
  // Writes the common record's fields into `native` and marks it with `action`.
  virtual void FromCommon(const Common& common, Native& native, HelperAction action) = 0;

  bool ReadDataFile() {
    const HelperTexts& t = Texts();
    std::string path = this->DataFilePath();
    QM_LOG_INFO("Start loading %s from temperary file: %s", t.title, path.c_str());
    CxFile file;
    if (!file.Open(path, "rb")) {
      QM_LOG_ERROR("Failed to open file: %s", path.c_str());
      return false;
    }
    std::int32_t count = 0;
    if (!file.ReadInt32(count) || count < 0) {
      QM_LOG_ERROR("Data file %s has no valid record count.", path.c_str());
      return false;
    }
    QM_LOG_INFO("There are %d %s records in total.", count, t.record);
    // The count is the helper's word only: records are read while the file has them.
    for (std::int32_t i = 0; i < count; ++i) {
      auto native = std::make_unique<Native>();
      if (!ReadRecord(file, *native)) {
        QM_LOG_ERROR("Data file %s ends after %d of %d records.", path.c_str(), i, count);
        return false;
      }
      Common common{};
      ToCommon(*native, common);
      if (!Attach(common, std::move(native))) return false;
    }
    QM_LOG_INFO("Load %s information from file successfully.", t.title);
    return true;
  }

  bool WriteDataFile() {
    const HelperTexts& t = Texts();
    std::string path = this->DataFilePath();
    QM_LOG_INFO("Start saving %s information to file: %s", t.title, path.c_str());
    CxFile file;
    // Personal data: owner-only, like everything else in the working folder.
    if (!file.Open(path, "wb", /*ownerOnly=*/true)) {
      QM_LOG_ERROR("Failed to open file: %s", path.c_str());
      return false;
    }
    file.WriteInt32(static_cast<std::int32_t>(natives_.size()));
    for (const auto& native : natives_) WriteRecord(file, *native);
    if (file.Failed()) {
      QM_LOG_ERROR("Failed to write file: %s", path.c_str());
      return false;
    }
    file.Close();
    QM_LOG_INFO("Save %s information to file successfully.", t.title);
    return true;
  }

 private:
  // Appends the pair, keeping both lists in step.
  Common* Attach(const Common& record, std::unique_ptr<Native> native) {
    Common copy(record);
    copy.SourceType = SourceTypeCode();
    copy.NativeRecord.reset();
    Common* stored = manager_.Add(&copy);
    if (!stored) return nullptr;
    stored->NativeRecord = NativeAttachment::Borrow(native.get());
    natives_.push_back(std::move(native));
    return stored;
  }

  void ClearRecords() {
    // The manager's records borrow the natives: clear it first.
    manager_.Clear();
    natives_.clear();
  }

  std::vector<std::unique_ptr<Native>> natives_;
  Manager manager_;
};
