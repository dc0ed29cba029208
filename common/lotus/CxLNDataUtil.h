#pragma once

#include <string>

#include "helper/CxHelperDataUtil.h"
#include "lotus/CxLNBaseUtil.h"
#include "lotus/LNRecords.h"
#include "misc/CxConnector.h"
#include "misc/CxDebugUtil.h"
#include "misc/RecordStatus.h"

// One Lotus Notes data type: the shared helper data type over the Notes base, and the engine's
// source and target interface on top. `Native` is the record of the data file.
template <class Native, class Manager>
class CxLNDataUtil : public CxHelperDataUtil<CxLNBaseUtil, Native, Manager>,
                     public CxTarget<Manager> {
  using Util = CxHelperDataUtil<CxLNBaseUtil, Native, Manager>;

 public:
  using Record = typename Manager::Record;
  using Util::Submit;

  // CxConnector
  void Reset() override {
    this->Unload();
    this->report_.Reset();
  }
  bool Load() override {
    if (!this->UseNotesFolder()) {
      this->Unload();
      this->report_.Reset();
      this->report_.reason = this->ErrorText();
      return false;
    }
    bool ok = Util::Load();
    // The helper's error is the load's failure even when it left a readable file.
    if (ok && this->HasError()) ok = false;
    if (!ok && this->report_.reason.empty()) this->report_.reason = Reason();
    return ok;
  }
  const CxLoadReport& Report() const override { return Util::Report(); }
  Manager& Records() override { return Util::Records(); }

  // CxTarget
  bool Stage(const Record& record) override { return this->AddOrUpdate(&record, false); }
  bool Submit(std::string& reason) override {
    QM_LOG_INFO("%s", SubmitText());
    bool ok = this->UseNotesFolder() && Util::Submit() && !this->HasError();
    if (!ok) reason = Reason();
    return ok;
  }

 protected:
  // "Submit changes to Lotus Notes contacts database" and the like.
  virtual const char* SubmitText() const = 0;
  std::uint32_t SourceTypeCode() const override { return kSourceLotusNotes; }
  bool ReadRecord(CxFile& file, Native& record) override { return ReadLNRecord(file, record); }
  void WriteRecord(CxFile& file, const Native& record) override { WriteLNRecord(file, record); }
  void FromCommon(const Record& common, Native& native, HelperAction action) override {
    CommonToLN(common, native);
    native.ChangeMark = kLNChanged;
    native.Action = action;
  }

 private:
  // The helper's own error text; without one (it did not start, or left nothing) the log has
  // the details.
  std::string Reason() const {
    if (!this->ErrorText().empty()) return this->ErrorText();
    return "the helper program left no result (details in " + CxDebugUtil::Instance().FilePath() +
           ")";
  }
};
