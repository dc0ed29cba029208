#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

#include "google/CxGAppBaseUtil.h"
#include "google/CxGFileSwap.h"
#include "misc/CxFile.h"

// A Google data type that is only read (tasks, notes): the helper's data file becomes native
// records and, in step with them, common records in a manager. The common records carry no
// native record. Submit hands the loaded records back unchanged. These helpers take neither an
// error file nor a status file.
template <class Native, class Manager>
class CxGLoadOnlyUtil : public CxGAppBaseUtil {
 public:
  using Common = typename Manager::Record;

  ~CxGLoadOnlyUtil() override { CxGLoadOnlyUtil::Unload(); }

  // Fails without a message of its own when the helper left no readable data file.
  bool Load() override {
    Unload();
    // An earlier run's file must not be taken for this run's.
    ::unlink(DataFilePath().c_str());
    return RunHelper(kHelperLoad) && ReadFile();
  }

  void Unload() override {
    manager_.Clear();
    natives_.clear();
    CxGAppBaseUtil::Unload();
  }

  bool Submit() override {
    if (!Changed()) return true;
    if (!WriteFile()) return false;
    if (!RunHelper(kHelperSubmit)) return false;
    SetChanged(false);
    return true;
  }

  // Appends the records of a data file: the working folder's when `path` is empty, else that
  // file (a bare name is taken in the working folder). False when it cannot be opened or read.
  bool ReadFile(std::string_view path = {}) {
    CxGFileSwap swap(folder_, dataFileName_, path);
    CxFile file;
    if (!file.Open(DataFilePath(), "rb")) return false;
    std::int32_t count = 0;
    if (!file.ReadInt32(count) || count < 0) return false;
    // The count is the helper's word only: records are read while the file has them.
    for (std::int32_t i = 0; i < count; ++i) {
      auto native = std::make_unique<Native>();
      if (!ReadNative(file, *native) || file.Failed()) return false;
      Common common{};
      ToCommon(*native, common);
      if (!manager_.Add(&common)) return false;
      native->ChangeState = 1;
      natives_.push_back(std::move(native));
    }
    return true;
  }

  bool WriteFile(std::string_view path = {}) {
    CxGFileSwap swap(folder_, dataFileName_, path);
    CxFile file;
    if (!file.Open(DataFilePath(), "wb", /*ownerOnly=*/true)) return false;
    file.WriteInt32(static_cast<std::int32_t>(natives_.size()));
    for (const auto& native : natives_) WriteNative(file, *native);
    return !file.Failed();
  }

  Manager& Records() { return manager_; }
  std::size_t NativeCount() const { return natives_.size(); }
  const Native* NativeAt(std::size_t i) const {
    return i < natives_.size() ? natives_[i].get() : nullptr;
  }

 protected:
  virtual bool ReadNative(CxFile& file, Native& record) = 0;
  virtual void WriteNative(CxFile& file, const Native& record) = 0;
  // `common` starts empty.
  virtual void ToCommon(const Native& native, Common& common) = 0;

 private:
  std::vector<std::unique_ptr<Native>> natives_;
  Manager manager_;
};
