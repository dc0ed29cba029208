#pragma once

#include "google/CxGAppBaseUtil.h"
#include "helper/CxHelperDataUtil.h"

// A Google data type that is only read (tasks, notes). It logs nothing of its own, its common
// records carry no native record, loaded records are marked 1 (unchanged), and Submit hands them
// back as they are. These helpers take neither an error file nor a status file.
template <class Native, class Manager>
class CxGLoadOnlyUtil : public CxHelperLoadUtil<CxGAppBaseUtil, Native, Manager> {
 protected:
  virtual bool ReadNative(CxFile& file, Native& record) = 0;
  virtual void WriteNative(CxFile& file, const Native& record) = 0;

  const HelperTexts* Texts() const override { return nullptr; }
  std::uint32_t SourceTypeCode() const override { return kSourceGoogle; }
  bool AttachesNatives() const override { return false; }
  bool ReadRecord(CxFile& file, Native& record) override {
    if (!ReadNative(file, record)) return false;
    record.ChangeState = 1;
    return true;
  }
  void WriteRecord(CxFile& file, const Native& record) override { WriteNative(file, record); }
};
