#pragma once

#include <string>

#include "ACT/CxACTBaseUtil.h"
#include "helper/CxHelperDataUtil.h"
#include "misc/CxConnector.h"
#include "misc/CxDebugUtil.h"

// One ACT! data type: the helper data-type pattern over the ACT! base, and what the engine sees of
// it, a source that also takes changes.
template <class Native, class Manager>
class CxACTDataUtil : public CxHelperDataUtil<CxACTBaseUtil, Native, Manager>,
                      public CxTarget<Manager> {
  using Util = CxHelperDataUtil<CxACTBaseUtil, Native, Manager>;

 public:
  using Record = typename Manager::Record;

  void Reset() override {
    Util::Unload();
    this->report_.Reset();
  }

  // Fails also when the helper reported an error with its data file.
  bool Load() override {
    bool ok = Util::Load();
    if (ok && this->HasError()) ok = false;
    if (!ok && this->report_.reason.empty()) this->report_.reason = Reason();
    return ok;
  }
  void Unload() override { Util::Unload(); }

  const CxLoadReport& Report() const override { return Util::Report(); }
  Manager& Records() override { return Util::Records(); }

  bool Stage(const Record& record) override { return this->AddOrUpdate(&record, false); }
  bool Submit() override { return Util::Submit(); }
  bool Submit(std::string& reason) override {
    if (Util::Submit() && !this->HasError()) return true;
    reason = Reason();
    return false;
  }

 protected:
  // The helper's own error text; without one the log has the details.
  std::string Reason() const {
    if (!this->ErrorText().empty()) return this->ErrorText();
    return "the helper program left no result (details in " + CxDebugUtil::Instance().FilePath() +
           ")";
  }
};
