#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "google/CxGAddrUtil.h"
#include "google/CxGDateUtil.h"
#include "misc/CxConnector.h"
#include "misc/CxDebugUtil.h"
#include "palm/PmAddrInfo.h"
#include "palm/PmDateInfo.h"
#include "palm/PmMemoInfo.h"
#include "palm/PmTodoInfo.h"
#include "palm/PmUsers.h"

// The engine's connectors for the applications that have one today, each a thin adapter that
// gives a Palm source or a Google connector the engine's interface.

// Plugs the Palm Desktop 6.x database loaders into the four Palm sources. Every program that
// loads Palm data calls this one place; calling it again does nothing new.
void InstallPalm6Loaders();

// How a Palm source loads: a named file, or the data of a Palm Desktop user.
struct PalmLoadOptions {
  bool byFile = false;
  std::string file;
  std::int32_t userId = 0;
  std::uint32_t codePage = PmCodePage::kWindows1252;
};

// One Palm Desktop source (PmAddrInfo, PmDateInfo, PmTodoInfo, PmMemoInfo).
template <class Info, class Manager>
class PalmSourceConnector final : public CxSource<Manager> {
 public:
  // `title` names the data type for the person, e.g. "Palm Desktop Calendar".
  explicit PalmSourceConnector(std::string title) : title_(std::move(title)) {
    InstallPalm6Loaders();  // the 6.x loader is made with the source
    info_ = std::make_unique<Info>();
  }

  void Configure(const PalmLoadOptions& options) { options_ = options; }
  Info& Source() { return *info_; }

  void Reset() override {
    info_->Clear();
    report_.Reset();
  }

  bool Load() override {
    report_.Reset();
    if (!info_->SetCodePage(options_.codePage)) {
      report_.reason = "Code page " + std::to_string(options_.codePage) +
                       " is not one that Palm Desktop text can be read in.";
      return false;
    }
    bool ok = false;
    if (options_.byFile) {
      ok = info_->LoadByFile(options_.file);
    } else {
      // The user library answers for users only once discovery has loaded it.
      DiscoverPalmUsers();
      ok = info_->LoadByUser(options_.userId);
    }
    report_ = info_->Report();
    if (!ok && report_.reason.empty()) {
      std::string where = options_.byFile
                              ? (options_.file.empty() ? std::string("no file is named")
                                                       : "the file " + options_.file)
                              : "the data of Palm Desktop user " + std::to_string(options_.userId);
      report_.reason = title_ + " could not be read from " + where + " (details in " +
                       CxDebugUtil::Instance().FilePath() + ").";
    }
    return ok;
  }

  const CxLoadReport& Report() const override { return report_; }
  Manager& Records() override { return info_->Manager(); }

 private:
  std::string title_;
  PalmLoadOptions options_;
  std::unique_ptr<Info> info_;
  CxLoadReport report_;
};

using PalmContactsConnector = PalmSourceConnector<PmAddrInfo, CommAddrMgr>;
using PalmCalendarConnector = PalmSourceConnector<PmDateInfo, CommDateMgr>;
using PalmTasksConnector = PalmSourceConnector<PmTodoInfo, CommTaskMgr>;
using PalmNotesConnector = PalmSourceConnector<PmMemoInfo, CommNoteMgr>;

// How a helper-based connector is set up before each run.
struct HelperOptions {
  std::string folder;  // the data folder: parameter, data, error and status files
  std::string user;
  std::string password;
  int debugLevel = 0;
  bool debugEnabled = false;
  std::string helperFolder;  // empty: beside the program
};

// One Google connector (CxGAddrUtil, CxGDateUtil) as a target.
template <class Util, class Manager>
class GoogleTargetConnector final : public CxTarget<Manager> {
 public:
  using Record = typename Manager::Record;

  void Configure(const HelperOptions& o) {
    util_.SetFolder(o.folder);
    util_.SetLogFolder(o.folder);
    util_.SetUser(o.user);
    util_.SetPassword(o.password);
    util_.SetDebugLevel(o.debugLevel);
    util_.SetDebugEnabled(o.debugEnabled);
    if (!o.helperFolder.empty()) util_.Runner().SetHelperFolder(o.helperFolder);
  }
  Util& Connector() { return util_; }

  void Reset() override {
    util_.Unload();
    report_.Reset();
  }

  bool Load() override {
    report_.Reset();
    if (!util_.Load() || util_.HasError()) {
      report_.reason = Reason();
      return false;
    }
    report_.records = util_.Records().Count();
    return true;
  }

  const CxLoadReport& Report() const override { return report_; }
  Manager& Records() override { return util_.Records(); }

  bool Stage(const Record& record) override { return util_.AddOrUpdate(&record, false); }

  bool Submit(std::string& reason) override {
    if (!util_.Submit() || util_.HasError()) {
      reason = Reason();
      return false;
    }
    return true;
  }

 private:
  // The helper's own error text; without one (it did not start, or left nothing) the log has
  // the details.
  std::string Reason() const {
    if (!util_.ErrorText().empty()) return util_.ErrorText();
    return "the helper program left no result (details in " + CxDebugUtil::Instance().FilePath() +
           ")";
  }

  Util util_;
  CxLoadReport report_;
};

using GoogleContactsConnector = GoogleTargetConnector<CxGAddrUtil, CommAddrMgr>;
using GoogleCalendarConnector = GoogleTargetConnector<CxGDateUtil, CommDateMgr>;
