#pragma once

#include <string>

#include "misc/CxConnector.h"
#include "misc/CxDebugUtil.h"
#include "outlook/OlAddrUtil.h"
#include "outlook/OlDateUtil.h"
#include "outlook/OlNoteUtil.h"
#include "outlook/OlTaskUtil.h"
#include "platform/outlook/OutlookStandIn.h"

// The store's name for a connector's folder, as the stand-in's reports name its parts.
inline const char* StoreFolderKey(const OlAddrUtil*) {
  return "folders.contacts";
}
inline const char* StoreFolderKey(const OlDateUtil*) {
  return "folders.calendar";
}
inline const char* StoreFolderKey(const OlTaskUtil*) {
  return "folders.tasks";
}
inline const char* StoreFolderKey(const OlNoteUtil*) {
  return "folders.notes";
}

// One Outlook connector (OlAddrUtil, OlDateUtil, OlTaskUtil, OlNoteUtil) as the engine sees it.
// Outlook takes each change at once, so staging writes the item and submitting has nothing
// left to send.
template <class Util, class Manager>
class OutlookConnector final : public CxTarget<Manager> {
 public:
  using Record = typename Manager::Record;

  // `title` names the data type for the person, e.g. "Outlook Contacts".
  explicit OutlookConnector(std::string title) : title_(std::move(title)) {
    CxFirstError first;
    util_ = std::make_unique<Util>();
    openError_ = first.Text();
  }

  Util& Connector() { return *util_; }

  void Reset() override {
    util_->Clear();
    report_.Reset();
  }

  bool Load() override {
    report_.Reset();
    CxFirstError first;
    const bool ok = util_->Load();
    report_.records = util_->Manager()->Count();
    if (!ok) {
      std::string cause = first.Text().empty() ? openError_ : first.Text();
      if (cause.empty()) cause = "Outlook gave no reason";
      // Outlook here is our stand-in: why it would not start is in its store's report.
      const platform::outlook::StoreReport store = platform::outlook::LastStoreReport();
      if (!store.started && !store.error.empty()) cause += "; " + store.error;
      report_.reason = title_ + " could not be read: " + cause + " (details in " +
                       CxDebugUtil::Instance().FilePath() + ").";
      return false;
    }
    // Items or values of the folder that the store could not serve: the load is partial.
    const platform::outlook::StoreReport store = platform::outlook::LastStoreReport();
    const std::string key = StoreFolderKey(util_.get());
    std::size_t skipped = 0;
    std::string firstProblem;
    for (const std::string& p : store.problems) {
      if (p.rfind(key, 0) != 0) continue;
      if (skipped++ == 0) firstProblem = p;
    }
    if (skipped > 0)
      report_.StopAt(store.path + ": " + std::to_string(skipped) +
                     (skipped == 1 ? " part" : " parts") + " not read as written, the first " +
                     firstProblem);
    return true;
  }

  const CxLoadReport& Report() const override { return report_; }
  Manager& Records() override { return *util_->Manager(); }

  bool Stage(const Record& record) override { return util_->SubmitRecord(&record); }
  bool Submit(std::string& /*reason*/) override { return true; }

 private:
  std::string title_;
  std::string openError_;
  std::unique_ptr<Util> util_;
  CxLoadReport report_;
};

using OutlookContactsConnector = OutlookConnector<OlAddrUtil, CommAddrMgr>;
using OutlookCalendarConnector = OutlookConnector<OlDateUtil, CommDateMgr>;
using OutlookTasksConnector = OutlookConnector<OlTaskUtil, CommTaskMgr>;
using OutlookNotesConnector = OutlookConnector<OlNoteUtil, CommNoteMgr>;
