#include "src/AppCommon.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <exception>
#include <string_view>
#include <thread>

#include "ACT/CxACTAddrUtil.h"
#include "ACT/CxACTDateUtil.h"
#include "ACT/CxACTNoteUtil.h"
#include "ACT/CxACTTaskUtil.h"
#include "google/GoogleContact.h"
#include "lotus/CxLNAddrUtil.h"
#include "lotus/CxLNDateUtil.h"
#include "lotus/CxLNNoteUtil.h"
#include "lotus/CxLNTaskUtil.h"
#include "misc/CxDebugUtil.h"
#include "outlook/OlConnectors.h"
#include "palm/PmCodePage.h"
#include "platform/DataFolderLock.h"
#include "src/AppSettings.h"
#include "src/ConnectorTable.h"
#include "src/CxMILog.h"
#include "src/EngineConnectors.h"
#include "src/EngineHost.h"

namespace {

struct TypeTexts {
  const char* progress;
  const char* statusFile;  // null: no helper, no status file
  const char* loadError;   // "%s": the connector's error text
  const char* title;       // the data type as warnings name it
};

struct AppTexts {
  int app;
  const char* name;
  const char* opening;
  int types;  // how many data types, in table order, the driver handles
  std::array<TypeTexts, 4> type;
};

// The texts of every load driver. The CRM rows follow the ACT! pattern.
constexpr std::array<AppTexts, 8> kApps = {{
    {kAppACT,
     "ACT!",
     "Loading information from ACT! ...",
     4,
     {{{"Loading ACT! Contacts ...", "ACTAddrStatus.dat", "Loading ACT! Contacts Error: %s",
        "ACT! Contacts"},
       {"Loading ACT! Calendar ...", "ACTDateStatus.dat", "Loading ACT! Calendar Error: %s",
        "ACT! Calendar"},
       {"Loading ACT! Todos and Opportunities ...", "ACTTaskStatus.dat",
        "Loading ACT! Todos or Opportunities Error: %s", "ACT! Todos"},
       {"Loading ACT! Notes ...", "ACTNoteStatus.dat", "Loading ACT! Notes Error: %s",
        "ACT! Notes"}}}},
    {kAppGoogle,
     "Google",
     "Loading information from Google account ...",
     2,
     {{{"Loading Google Contacts ...", "GAddrStatus.dat", "Loading Google Contacts Error: %s",
        "Google Contacts"},
       {"Loading Google Calendar ...", "GDateStatus.dat", "Loading Google Calendar Error: %s",
        "Google Calendar"},
       {},
       {}}}},
    {kAppOutlook,
     "Outlook",
     "Loading information from Outlook ...",
     4,
     {{{"Loading Outlook Contacts ...", nullptr, "Failed to load Outlook Contacts information.",
        "Outlook Contacts"},
       {"Loading Outlook Calendar ...", nullptr, "Failed to load Outlook Calendar information.",
        "Outlook Calendar"},
       {"Loading Outlook Tasks ...", nullptr, "Failed to load Outlook Task information.",
        "Outlook Tasks"},
       {"Loading Outlook Notes ...", nullptr, "Failed to load Outlook Notes information.",
        "Outlook Notes"}}}},
    {kAppLotusNotes,
     "Lotus Notes",
     "Loading information from Lotus Notes ...",
     4,
     {{{"Loading Lotus Notes Contacts ...", "LNAddrStatus.dat",
        "Loading Lotus Notes Contacts Error: %s", "Lotus Notes Contacts"},
       {"Loading Lotus Notes Calendar ...", "LNDateStatus.dat",
        "Loading Lotus Notes Calendar Error: %s", "Lotus Notes Calendar"},
       {"Loading Lotus Notes Todos ...", "LNTaskStatus.dat", "Loading Lotus Notes Todo Error: %s",
        "Lotus Notes Todos"},
       {"Loading Lotus Notes Notebook ...", "LNNoteStatus.dat",
        "Loading Lotus Notes Notebook Error: %s", "Lotus Notes Notebook"}}}},
    {kAppPalmDesktop,
     "Palm Desktop",
     "Loading information from Palm Desktop ...",
     4,
     {{{"Loading Palm Desktop Contacts ...", nullptr,
        "Failed to load Palm Desktop Contacts information.", "Palm Desktop Contacts"},
       {"Loading Palm Desktop Calendar ...", nullptr,
        "Failed to load Palm Desktop Calendar information.", "Palm Desktop Calendar"},
       {"Loading Palm Desktop Tasks ...", nullptr, "Failed to load Palm Desktop Task information.",
        "Palm Desktop Tasks"},
       {"Loading Palm Desktop Notes ...", nullptr, "Failed to load Palm Desktop Memos information.",
        "Palm Desktop Notes"}}}},
    {kAppDynamicsCRM,
     "Dynamics CRM",
     "Loading information from Dynamics CRM ...",
     4,
     {{{"Loading Dynamics CRM Contacts ...", "DNAddrStatus.dat",
        "Loading Dynamics CRM Contacts Error: %s", "Dynamics CRM Contacts"},
       {"Loading Dynamics CRM Calendar ...", "DNDateStatus.dat",
        "Loading Dynamics CRM Calendar Error: %s", "Dynamics CRM Calendar"},
       {"Loading Dynamics CRM Tasks ...", "DNTaskStatus.dat",
        "Loading Dynamics CRM Tasks Error: %s", "Dynamics CRM Tasks"},
       {"Loading Dynamics CRM Notes ...", "DNNoteStatus.dat",
        "Loading Dynamics CRM Notes Error: %s", "Dynamics CRM Notes"}}}},
    {kAppSalesforce,
     "salesforce",
     "Loading information from salesforce ...",
     4,
     {{{"Loading salesforce Contacts ...", "SFAddrStatus.dat",
        "Loading salesforce Contacts Error: %s", "salesforce Contacts"},
       {"Loading salesforce Calendar ...", "SFDateStatus.dat",
        "Loading salesforce Calendar Error: %s", "salesforce Calendar"},
       {"Loading salesforce Tasks ...", "SFTaskStatus.dat", "Loading salesforce Tasks Error: %s",
        "salesforce Tasks"},
       {"Loading salesforce Notes ...", "SFNoteStatus.dat", "Loading salesforce Notes Error: %s",
        "salesforce Notes"}}}},
    {kAppSugarCRM,
     "SugarCRM",
     "Loading information from SugarCRM ...",
     4,
     {{{"Loading SugarCRM Contacts ...", "SGAddrStatus.dat", "Loading SugarCRM Contacts Error: %s",
        "SugarCRM Contacts"},
       {"Loading SugarCRM Calendar ...", "SGDateStatus.dat", "Loading SugarCRM Calendar Error: %s",
        "SugarCRM Calendar"},
       {"Loading SugarCRM Tasks ...", "SGTaskStatus.dat", "Loading SugarCRM Tasks Error: %s",
        "SugarCRM Tasks"},
       {"Loading SugarCRM Notes ...", "SGNoteStatus.dat", "Loading SugarCRM Notes Error: %s",
        "SugarCRM Notes"}}}},
}};

const AppTexts* TextsOf(int app) {
  for (const auto& a : kApps)
    if (a.app == app) return &a;
  return nullptr;
}

// The data type as messages name it ("Palm Desktop Calendar"); empty for an unknown one.
std::string TypeTitle(int app, int type) {
  const AppTexts* t = TextsOf(app);
  if (!t || type < kTypeContacts || type >= t->types) return {};
  return t->type[static_cast<std::size_t>(type)].title;
}

// A message of the drivers with its "%s" replaced by the reason. A message without "%s" keeps
// its words and gets the reason on a line of its own, so the person always learns why.
std::string Compose(std::string_view format, const std::string& reason) {
  std::string text(format);
  auto at = text.find("%s");
  if (at != std::string::npos)
    text.replace(at, 2, reason);
  else if (!reason.empty())
    text += "\n" + reason;
  return text;
}

// 31150 -> "31,150".
std::string Grouped(std::size_t n) {
  std::string digits = std::to_string(n);
  std::string out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

// The connector of one data type of a family with one class per type, in table order; the
// arguments go to each constructor.
template <class Contacts, class Calendar, class Tasks, class Notes, class... Title>
std::unique_ptr<CxConnector> MakeOneOf(int type, const Title&... title) {
  switch (type) {
    case kTypeContacts:
      return std::make_unique<Contacts>(title...);
    case kTypeCalendar:
      return std::make_unique<Calendar>(title...);
    case kTypeTasks:
      return std::make_unique<Tasks>(title...);
    case kTypeNotes:
      return std::make_unique<Notes>(title...);
    default:
      return nullptr;
  }
}

std::unique_ptr<CxConnector> MakeConnector(int app, int type) {
  const std::string title = TypeTitle(app, type);
  switch (app) {
    case kAppPalmDesktop:
      return MakeOneOf<PalmContactsConnector, PalmCalendarConnector, PalmTasksConnector,
                       PalmNotesConnector>(type, title);
    case kAppOutlook:
      return MakeOneOf<OutlookContactsConnector, OutlookCalendarConnector, OutlookTasksConnector,
                       OutlookNotesConnector>(type, title);
    case kAppLotusNotes:
      return MakeOneOf<CxLNAddrUtil, CxLNDateUtil, CxLNTaskUtil, CxLNNoteUtil>(type);
    case kAppACT:
      return MakeOneOf<CxACTAddrUtil, CxACTDateUtil, CxACTTaskUtil, CxACTNoteUtil>(type);
    case kAppGoogle:
      if (type == kTypeContacts) return std::make_unique<GoogleContactsConnector>();
      if (type == kTypeCalendar) return std::make_unique<GoogleCalendarConnector>();
      return nullptr;
    default:
      break;
  }
  // The CRM codes have no connector in this program yet.
  return nullptr;
}

// A Lotus Notes connector before each run: the database of its type, the user ID file, and
// the Notes password only when the settings say that the ID file needs one.
void ConfigureLotusNotes(const AppSettings& s, int type, const std::string& dataFolder,
                         const std::string& helperFolder, CxConnector& connector) {
  auto* c = dynamic_cast<CxLNBaseUtil*>(&connector);
  if (!c || type < kTypeContacts || type > kTypeNotes) return;
  // Calendar and to-dos share the mail database.
  const std::array<const FixedText<256>*, 4> databases = {&s.LNAddrName, &s.LNDateName,
                                                          &s.LNDateName, &s.LNNoteName};
  c->SetFolder(dataFolder);
  c->SetLogFolder(dataFolder);
  c->SetDatabase(databases[static_cast<std::size_t>(type)]->view());
  c->SetIdFile(s.LNIDFile.view());
  c->SetPassword(s.LNNeedPassword ? s.LNPassword.view() : std::string_view());
  c->SetDebugLevel(s.LogLevel);
  c->SetDebugEnabled(s.EnableDebug);
  if (!helperFolder.empty()) c->Runner().SetHelperFolder(helperFolder);
}

std::string NoConnector(const AppTexts& t) {
  return std::string("This version of Quillmove cannot work with ") + t.name + " yet.";
}

// The error-log line of the drivers, always written.
void ReportError(const std::string& text) {
  QM_LOG_ERROR("%s", text.c_str());
}

// Every driver call holds the data folder, so that a second program never shares its helpers'
// exchange files. Null when it is busy (the person has been told).
std::unique_ptr<platform::DataFolderLock> HoldFolder(const std::string& folder, EngineHost& host) {
  auto lock = std::make_unique<platform::DataFolderLock>();
  if (lock->Lock(folder)) return lock;
  std::string text = lock->Error() + " Wait until it has finished, then try again.";
  ReportError(text);
  host.ShowMessage("Error", text, EngineHost::Icon::kError);
  return nullptr;
}

}  // namespace

AppEngine::AppEngine(AppSettings& settings, EngineHost& host, std::string dataFolder)
    : settings_(settings),
      host_(host),
      dataFolder_(std::move(dataFolder)),
      table_(std::make_unique<ConnectorTable>()) {
  if (!dataFolder_.empty() && dataFolder_.back() != '/') dataFolder_ += '/';
  CxDebugUtil& log = CxDebugUtil::Instance();
  log.SetFolder(dataFolder_);
  log.SetEnabled(settings_.EnableDebug);
  log.SetLevel(settings_.LogLevel);
}

AppEngine::~AppEngine() {
  table_->Clear();
}

ConnectorTable& AppEngine::Table() {
  return *table_;
}
const std::string& AppEngine::DataFolder() const {
  return dataFolder_;
}
std::string AppEngine::MigrationLogPath() const {
  return dataFolder_ + "MILog.txt";
}
void AppEngine::SetHelperFolder(std::string folder) {
  helperFolder_ = std::move(folder);
}
void AppEngine::SetRepaintPause(int milliseconds) {
  pauseMs_ = milliseconds < 0 ? 0 : milliseconds;
}
const std::vector<std::string>& AppEngine::LoadWarnings() const {
  return warnings_;
}

CxList<CommonContact>& AppEngine::SelectedContacts() {
  return table_->SelectedContacts();
}
CxList<CommonEvent>& AppEngine::SelectedEvents() {
  return table_->SelectedEvents();
}
CxList<CommonTask>& AppEngine::SelectedTasks() {
  return table_->SelectedTasks();
}
CxList<CommonNote>& AppEngine::SelectedNotes() {
  return table_->SelectedNotes();
}

CommAddrMgr* AppEngine::Contacts(int app) {
  auto* s = table_->Source<CommAddrMgr>(ConnectorTable::SlotOf(app, kTypeContacts));
  return s ? &s->Records() : nullptr;
}
CommDateMgr* AppEngine::Calendar(int app) {
  auto* s = table_->Source<CommDateMgr>(ConnectorTable::SlotOf(app, kTypeCalendar));
  return s ? &s->Records() : nullptr;
}
CommTaskMgr* AppEngine::Tasks(int app) {
  auto* s = table_->Source<CommTaskMgr>(ConnectorTable::SlotOf(app, kTypeTasks));
  return s ? &s->Records() : nullptr;
}
CommNoteMgr* AppEngine::Notes(int app) {
  auto* s = table_->Source<CommNoteMgr>(ConnectorTable::SlotOf(app, kTypeNotes));
  return s ? &s->Records() : nullptr;
}

void AppEngine::Pause() const {
  if (pauseMs_ > 0) std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs_));
}

bool AppEngine::SyncOn(int type) const {
  switch (type) {
    case kTypeContacts:
      return settings_.SyncAddr;
    case kTypeCalendar:
      return settings_.SyncDate;
    case kTypeTasks:
      return settings_.SyncTask;
    case kTypeNotes:
      return settings_.SyncNote;
    default:
      return false;
  }
}

void AppEngine::Warn(const std::string& text) {
  for (const std::string& w : warnings_)
    if (w == text) return;  // once per load, however many types it concerns
  QM_LOG_ERROR("%s", text.c_str());
  warnings_.push_back(text);
  host_.Warn(text);
}

void AppEngine::Fail(const std::string& text) {
  host_.CloseWaitWindow();
  ReportError(text);
  host_.ShowMessage("Error", text, EngineHost::Icon::kError);
}

bool AppEngine::LoadBothSides(int sourceApp, int targetApp) {
  if (sourceApp == targetApp) return true;
  warnings_.clear();
  return GuardedLoad(sourceApp, targetApp, true);
}

bool AppEngine::ReloadSource(int sourceApp, int targetApp) {
  if (sourceApp == targetApp) return true;
  // The source's old warnings go; the target's stay for the migration log.
  if (const AppTexts* t = TextsOf(sourceApp)) {
    auto fromSource = [t](const std::string& w) {
      for (const TypeTexts& tt : t->type)
        if (tt.title && w.rfind(std::string(tt.title) + ": ", 0) == 0) return true;
      return false;
    };
    warnings_.erase(std::remove_if(warnings_.begin(), warnings_.end(), fromSource),
                    warnings_.end());
  }
  // Marks against a target that was never loaded would call every record new.
  bool targetLoaded = true;
  if (const AppTexts* t = TextsOf(targetApp))
    for (int type = kTypeContacts; type < t->types; ++type)
      if (SyncOn(type) && !table_->At(ConnectorTable::SlotOf(targetApp, type)))
        targetLoaded = false;
  return GuardedLoad(sourceApp, targetApp, !targetLoaded);
}

bool AppEngine::GuardedLoad(int sourceApp, int targetApp, bool withTarget) {
  auto lock = HoldFolder(dataFolder_, host_);
  if (!lock) return false;
  // Nothing may escape to the caller's thread; a failure here is a failed load.
  try {
    if (withTarget && !LoadApplication(targetApp, 0)) return false;
    return LoadApplication(sourceApp, targetApp);
  } catch (const std::exception& e) {
    Fail(std::string("Loading failed: ") + e.what());
  } catch (...) {
    Fail("Loading failed with an unknown error.");
  }
  return false;
}

void AppEngine::Configure(int app, int type, CxConnector& connector) {
  const AppSettings& s = settings_;
  if (app == kAppPalmDesktop) {
    PalmLoadOptions o;
    static constexpr std::array<bool AppSettings::*, 4> kUseFile = {
        &AppSettings::UsePDAddrFile, &AppSettings::UsePDDateFile, &AppSettings::UsePDTaskFile,
        &AppSettings::UsePDNoteFile};
    const std::array<const FixedText<256>*, 4> names = {&s.PDAddrFileName, &s.PDDateFileName,
                                                        &s.PDTaskFileName, &s.PDNoteFileName};
    const auto t = static_cast<std::size_t>(type);
    o.byFile = s.*kUseFile[t];
    o.file = names[t]->str();
    o.userId = s.PDUserID;
    o.codePage =
        s.PDCodePage > 0 ? static_cast<std::uint32_t>(s.PDCodePage) : PmCodePage::kWindows1252;
    if (auto* c = dynamic_cast<PalmContactsConnector*>(&connector)) c->Configure(o);
    if (auto* c = dynamic_cast<PalmCalendarConnector*>(&connector)) c->Configure(o);
    if (auto* c = dynamic_cast<PalmTasksConnector*>(&connector)) c->Configure(o);
    if (auto* c = dynamic_cast<PalmNotesConnector*>(&connector)) c->Configure(o);
  } else if (app == kAppGoogle) {
    HelperOptions o;
    o.folder = dataFolder_;
    o.user = s.GGEmail.str();
    o.password = s.GGPassword.str();
    o.debugLevel = s.LogLevel;
    o.debugEnabled = s.EnableDebug;
    o.helperFolder = helperFolder_;
    if (auto* c = dynamic_cast<GoogleContactsConnector*>(&connector)) c->Configure(o);
    if (auto* c = dynamic_cast<GoogleCalendarConnector*>(&connector)) c->Configure(o);
  } else if (app == kAppLotusNotes) {
    ConfigureLotusNotes(s, type, dataFolder_, helperFolder_, connector);
  } else if (app == kAppACT) {
    if (auto* c = dynamic_cast<CxACTBaseUtil*>(&connector)) {
      c->SetFolder(dataFolder_);
      c->SetLogFolder(dataFolder_);
      c->SetDatabase(s.ACTPadName.view());
      c->SetUser(s.ACTUserName.view());
      c->SetPassword(s.ACTPassword.view());
      c->SetDebugLevel(s.LogLevel);
      c->SetDebugEnabled(s.EnableDebug);
      if (!helperFolder_.empty()) c->Runner().SetHelperFolder(helperFolder_);
    }
    if (auto* c = dynamic_cast<CxACTTaskUtil*>(&connector)) {
      c->SetIncludeOpportunities(s.Opp);
      c->SetIncludeOpportunityNotes(s.OppNotes);
    }
  }
}

void AppEngine::Mark(int type, int mySlot, int theirSlot) {
  auto mark = [&](auto* mine, auto* theirs) {
    if (mine && theirs) mine->Records().MarkAgainst(&theirs->Records());
  };
  switch (type) {
    case kTypeContacts:
      mark(table_->Source<CommAddrMgr>(mySlot), table_->Source<CommAddrMgr>(theirSlot));
      break;
    case kTypeCalendar:
      mark(table_->Source<CommDateMgr>(mySlot), table_->Source<CommDateMgr>(theirSlot));
      break;
    case kTypeTasks:
      mark(table_->Source<CommTaskMgr>(mySlot), table_->Source<CommTaskMgr>(theirSlot));
      break;
    case kTypeNotes:
      mark(table_->Source<CommNoteMgr>(mySlot), table_->Source<CommNoteMgr>(theirSlot));
      break;
    default:
      break;
  }
}

bool AppEngine::LoadApplication(int app, int counterpart) {
  const AppTexts* t = TextsOf(app);
  if (!t) {
    std::string text = "Unknown application code " + std::to_string(app) + ".";
    ReportError(text);
    host_.ShowMessage("Error", text, EngineHost::Icon::kError);
    return false;
  }
  host_.OpenWaitWindow(t->opening);
  Pause();
  for (int type = kTypeContacts; type < t->types; ++type) {
    if (!SyncOn(type)) continue;
    const TypeTexts& tt = t->type[static_cast<std::size_t>(type)];
    host_.SetWaitText(tt.progress);
    std::string statusPath = tt.statusFile ? dataFolder_ + tt.statusFile : std::string();
    Pause();

    const int slot = ConnectorTable::SlotOf(app, type);
    CxConnector* connector = table_->At(slot);
    if (connector)
      connector->Reset();
    else if (auto made = MakeConnector(app, type))
      connector = table_->Put(slot, std::move(made));
    if (!connector) {
      Fail(Compose(tt.loadError, NoConnector(*t)));
      return false;
    }
    Configure(app, type, *connector);
    if (!statusPath.empty()) {
      ::unlink(statusPath.c_str());  // an old run's line must never show
      host_.WatchStatusFile(statusPath);
    }
    bool ok = connector->Load();
    if (!statusPath.empty()) host_.WatchStatusFile({});
    if (!ok) {
      Fail(Compose(tt.loadError, connector->Report().reason));
      return false;
    }
    const CxLoadReport& report = connector->Report();
    if (!report.complete) {
      std::string text = std::string(tt.title) + ": " + Grouped(report.records) +
                         " records read; the rest of the file could not be read";
      text += report.stoppedAt.empty() ? "." : " (" + report.stoppedAt + ").";
      Warn(text);
    }
    if (counterpart != 0) Mark(type, slot, ConnectorTable::SlotOf(counterpart, type));
  }
  host_.CloseWaitWindow();
  return true;
}

bool AppEngine::SubmitChanges(int targetApp) {
  const AppTexts* t = TextsOf(targetApp);
  // Palm Desktop takes nothing; an unknown code neither.
  if (!t || targetApp == kAppPalmDesktop) return false;
  if (targetApp == kAppOutlook) {
    auto lock = HoldFolder(dataFolder_, host_);
    if (!lock) return false;
    try {
      return SubmitToOutlook();
    } catch (const std::exception& e) {
      host_.CloseWaitWindow();
      ReportError(std::string("Submitting failed: ") + e.what());
      host_.ShowErrorReport(e.what());
    } catch (...) {
      host_.CloseWaitWindow();
      ReportError("Submitting failed with an unknown error.");
      host_.ShowErrorReport("unknown error");
    }
    return false;
  }
  if (targetApp != kAppGoogle) {
    // Fails before the migration log is opened, so the last one is kept.
    std::string text =
        std::string("Failed to submit changes to ") + t->name + ", Error=" + NoConnector(*t);
    ReportError(text);
    host_.ShowMessage("Error", text, EngineHost::Icon::kError);
    return false;
  }
  auto lock = HoldFolder(dataFolder_, host_);
  if (!lock) return false;
  try {
    return SubmitToGoogle();
  } catch (const std::exception& e) {
    host_.CloseWaitWindow();
    ReportError(std::string("Submitting failed: ") + e.what());
    host_.ShowErrorReport(e.what());
  } catch (...) {
    host_.CloseWaitWindow();
    ReportError("Submitting failed with an unknown error.");
    host_.ShowErrorReport("unknown error");
  }
  return false;
}

namespace {

struct SubmitTexts {
  const char* statusFile;
  const char* failure;
  const char* noTarget;
};

template <class Manager>
SubmitTexts GoogleSubmitTexts();
template <>
SubmitTexts GoogleSubmitTexts<CommAddrMgr>() {
  return {"GAddrStatus.dat", "Failed to submit Contact changes to Google, Error=%s",
          "the Google contacts were not loaded"};
}
template <>
SubmitTexts GoogleSubmitTexts<CommDateMgr>() {
  return {"GDateStatus.dat", "Failed to submit Calendar changes to Google, Error=%s",
          "the Google calendar was not loaded"};
}

void LogEntry(CxMILog& log, const CommonContact* c) {
  log.LogContact(c);
}
void LogEntry(CxMILog& log, const CommonEvent* e) {
  log.LogEvent(e);
}

}  // namespace

template <class Manager>
bool AppEngine::SubmitType(int type, CxList<typename Manager::Record>& selection, CxMILog& log) {
  const SubmitTexts texts = GoogleSubmitTexts<Manager>();
  CxTarget<Manager>* target = table_->Target<Manager>(ConnectorTable::SlotOf(kAppGoogle, type));
  auto fail = [&](const std::string& reason) {
    std::string text = Compose(texts.failure, reason);
    Fail(text);
    log.WriteLine(text);
    log.Close();
    return false;
  };
  if (!target) {
    // Ticked records with nowhere to go are a failure, not a success with nothing sent.
    if (selection.Count() == 0) return true;
    for (std::uint32_t i = 0; i < selection.Count(); ++i) LogEntry(log, selection.Peek(i));
    return fail(texts.noTarget);
  }
  // Logged before staged: the log lists every record offered, also when the submit fails.
  for (std::uint32_t i = 0; i < selection.Count(); ++i) {
    const auto* record = selection.Peek(i);
    LogEntry(log, record);
    if (record) target->Stage(*record);
  }
  if (selection.Count() == 0) return true;
  std::string statusPath = dataFolder_ + texts.statusFile;
  ::unlink(statusPath.c_str());
  host_.WatchStatusFile(statusPath);
  std::string reason;
  bool ok = target->Submit(reason);
  host_.WatchStatusFile({});
  return ok || fail(reason);
}

bool AppEngine::SubmitToGoogle() {
  CxMILog log(MigrationLogPath());
  log.Open();
  log.WriteLine("Start migrating information to Google account ...");
  for (const std::string& w : warnings_) log.WriteLine(w);
  host_.OpenWaitWindow("Migrating information to Google account ...");
  Pause();
  if (settings_.SyncAddr && !SubmitType<CommAddrMgr>(kTypeContacts, SelectedContacts(), log))
    return false;
  if (settings_.SyncDate && !SubmitType<CommDateMgr>(kTypeCalendar, SelectedEvents(), log))
    return false;
  host_.CloseWaitWindow();
  log.WriteLine("Migrating information to Google account completed successfully.");
  log.Close();
  return true;
}

namespace {

void LogEntry(CxMILog& log, const CommonTask* t) {
  log.LogTask(t ? t->Subject.c_str() : "");
}
void LogEntry(CxMILog& log, const CommonNote* n) {
  log.LogNote(n);
}

// Outlook takes each record as it is staged; there is no submit step to fail.
template <class Manager>
void StageEach(CxTarget<Manager>* target, CxList<typename Manager::Record>& selection,
               CxMILog& log) {
  for (std::uint32_t i = 0; i < selection.Count(); ++i) {
    const auto* record = selection.Peek(i);
    LogEntry(log, record);
    if (record && target) target->Stage(*record);
  }
}

}  // namespace

bool AppEngine::SubmitToOutlook() {
  CxMILog log(MigrationLogPath());
  log.Open();
  log.WriteLine("Start migrating information to Outlook ...");
  host_.OpenWaitWindow("Migrating information to Outlook ...");
  Pause();
  auto slot = [](int type) { return ConnectorTable::SlotOf(kAppOutlook, type); };
  if (settings_.SyncAddr)
    StageEach(table_->Target<CommAddrMgr>(slot(kTypeContacts)), SelectedContacts(), log);
  if (settings_.SyncDate)
    StageEach(table_->Target<CommDateMgr>(slot(kTypeCalendar)), SelectedEvents(), log);
  if (settings_.SyncTask)
    StageEach(table_->Target<CommTaskMgr>(slot(kTypeTasks)), SelectedTasks(), log);
  if (settings_.SyncNote)
    StageEach(table_->Target<CommNoteMgr>(slot(kTypeNotes)), SelectedNotes(), log);
  host_.CloseWaitWindow();
  log.WriteLine("Migrating information to Outlook completed successfully.");
  log.Close();
  return true;
}

bool AppEngine::ApplyCustomFieldMap(int app) {
  const AppSettings& s = settings_;
  const int slot = ConnectorTable::SlotOf(app, kTypeContacts);
  auto codes = [](bool on, const std::array<int, 9>& ids) {
    std::array<int, 10> out{};  // slot 10 is never mapped
    if (on)
      for (std::size_t i = 0; i < ids.size(); ++i) out[i] = ids[i];
    return out;
  };
  if (app == kAppPalmDesktop) {
    if (!table_->At(slot)) table_->Put(slot, MakeConnector(app, kTypeContacts));
    auto* palm = dynamic_cast<PalmContactsConnector*>(table_->At(slot));
    if (!palm) return false;
    auto map = codes(s.PDCustom, s.PDCustomID);
    for (std::size_t i = 0; i < map.size(); ++i) palm->Source().SetMappedField(i, map[i]);
    return true;
  }
  if (app == kAppGoogle) {
    if (!table_->At(slot)) table_->Put(slot, MakeConnector(app, kTypeContacts));
    // The Google conversion keeps one table for the process.
    auto map = codes(s.GGCustom, s.GGCustomID);
    for (std::size_t i = 0; i < map.size(); ++i)
      SetCustomField(static_cast<int>(i), static_cast<std::uint32_t>(map[i]));
    return true;
  }
  if (app == kAppLotusNotes) {
    if (!table_->At(slot)) table_->Put(slot, MakeConnector(app, kTypeContacts));
    auto map = codes(s.LNCustom, s.LNCustomID);
    for (std::size_t i = 0; i < map.size(); ++i)
      CxLNAddrUtil::SetCustomField(static_cast<int>(i), static_cast<std::uint32_t>(map[i]));
    return true;
  }
  if (app == kAppOutlook) {
    if (!table_->At(slot)) table_->Put(slot, MakeConnector(app, kTypeContacts));
    // One map for every Outlook contacts connector of the process.
    auto map = codes(s.OLCustom, s.OLCustomID);
    for (std::size_t i = 0; i < map.size(); ++i) SetOlCustomField(static_cast<int>(i), map[i]);
    return true;
  }
  if (app == kAppACT) {
    if (!table_->At(slot)) table_->Put(slot, MakeConnector(app, kTypeContacts));
    // The ACT! conversion keeps one table for the process.
    auto map = codes(s.ACTCustom, s.ACTCustomID);
    for (std::size_t i = 0; i < map.size(); ++i)
      CxACTAddrUtil::SetCustomField(static_cast<int>(i), static_cast<std::uint32_t>(map[i]));
    return true;
  }
  QM_LOG_ERROR("No contacts connector for application %d: its custom field map waits.", app);
  return false;
}
