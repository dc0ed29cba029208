// `migrate [--dry-run] [--all] [--report FILE]`: one whole migration from the data folder's
// settings, as the wizard runs it for the stored source: load both sides, tick what the review
// page ticks (new and different, or everything), submit, and print a summary.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "BackendSettings.h"
#include "cli/Commands.h"
#include "json/RecordJson.h"
#include "platform/AsciiCase.h"
#include "platform/IniDocument.h"
#include "platform/PlatformPaths.h"
#include "src/AppCommon.h"
#include "src/AppSettings.h"
#include "src/ConsoleHost.h"

namespace {

constexpr int kOk = 0, kFailed = 1, kBadInput = 2;

struct MigrateArgs {
  bool dryRun = false;
  bool all = false;
  std::string report;
};

struct TypeCounts {
  const char* name = "";
  bool on = false;
  std::uint32_t source = 0, target = 0, fresh = 0, differ = 0, same = 0, submitted = 0;
};

const char* StatusWord(std::uint32_t status) {
  switch (status) {
    case kStatusNew:
      return "new";
    case kStatusDiff:
      return "different";
    default:
      return "same";
  }
}

const char* AppName(int app) {
  switch (app) {
    case kAppACT:
      return "ACT!";
    case kAppOutlook:
      return "Outlook";
    case kAppLotusNotes:
      return "Lotus Notes";
    case kAppPalmDesktop:
      return "Palm Desktop";
    default:
      return "the source";
  }
}

// The review page's default ticks: new and different records, or every one with --all. A type
// that is off is emptied, as its hidden tab would be.
template <class Manager>
void Tick(Manager* source, Manager* target, CxList<typename Manager::Record>& selection, bool on,
          bool all, TypeCounts& counts) {
  selection.RemoveAll(false);
  counts.on = on;
  if (!on || !source) return;
  counts.source = source->Count();
  counts.target = target ? target->Count() : 0;
  for (auto* r = source->First(); r; r = source->Next()) {
    if (r->Status == kStatusNew)
      ++counts.fresh;
    else if (r->Status == kStatusDiff)
      ++counts.differ;
    else
      ++counts.same;
    if (all || r->Status != kStatusSame) selection.Append(r);
  }
}

template <class Manager>
bool WriteReport(std::ofstream& out, const char* type, Manager* source) {
  if (!source) return true;
  for (std::uint32_t i = 0; i < source->Count(); ++i) {
    const auto* r = source->Peek(static_cast<std::int32_t>(i));
    nlohmann::ordered_json line{{"type", type}, {"status", StatusWord(r->Status)}};
    line["record"] = ToJson(*r);
    using Record = std::remove_cv_t<std::remove_pointer_t<decltype(r)>>;
    const auto* match = static_cast<const Record*>(r->MatchedRecord);
    line["match"] = match ? ToJson(*match) : nlohmann::ordered_json(nullptr);
    out << line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
  }
  return static_cast<bool>(out);
}

// Where the records went, as the helpers' settings say.
void PrintAccountPlace(const std::string& dataFolder, const std::string& email) {
  AccountSettings account = HelperSettings::ForAccount(email);
  if (account.backend == HelperSettings::kDav) {
    std::printf("Account: %s on the server %s\n", email.c_str(), account.Value("Url").c_str());
  } else if (account.backend == HelperSettings::kGoogle) {
    std::printf("Account: %s at Google\n", email.c_str());
  } else if (std::string local = HelperSettings::LocalAccountFolder(dataFolder, email);
             !local.empty()) {
    std::printf("Account folder: %s\n", local.c_str());
  }
}

std::string Grouped(std::uint32_t n) {
  std::string digits = std::to_string(n), out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

int Usage() {
  std::fprintf(stderr, "usage: quillmove-cli migrate [--dry-run] [--all] [--report FILE]\n");
  return kBadInput;
}

}  // namespace

int MigrateCommand(const std::vector<std::string>& args) {
  MigrateArgs a;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--dry-run") {
      a.dryRun = true;
    } else if (args[i] == "--all") {
      a.all = true;
    } else if (args[i] == "--report" && i + 1 < args.size()) {
      a.report = args[++i];
    } else {
      return Usage();
    }
  }
  std::string folder;
  if (!GetAppDataFolder(folder)) {
    std::fprintf(stderr, "quillmove-cli migrate: cannot find or make the data folder\n");
    return kFailed;
  }
  LoadAppSettings();
  AppSettings& s = TheAppSettings();
  const int source = s.SourceApp;
  if (source == kAppGoogle || source < kAppACT || source > kAppSugarCRM) {
    std::fprintf(stderr, "quillmove-cli migrate: the settings (%s) name no source application\n",
                 AppSettingsPath().c_str());
    return kBadInput;
  }

  // Leaving the source page keeps tasks and notes off and asks for one of the other two.
  s.SyncTask = false;
  s.SyncNote = false;
  if (!s.SyncAddr && !s.SyncDate) {
    std::fprintf(stderr,
                 "Please migrate at least one type of application data, either Contacts or "
                 "Calendar.\n");
    return kBadInput;
  }

  ConsoleHost host;
  AppEngine engine(s, host, folder);
  engine.SetRepaintPause(0);  // no window to repaint
  // Leaving the Google account page hands the source its custom field map.
  engine.ApplyCustomFieldMap(source);
  if (!engine.LoadBothSides(source, kAppGoogle)) return kFailed;

  TypeCounts contacts, calendar, tasks, notes;
  contacts.name = "Contacts";
  calendar.name = "Calendar";
  tasks.name = "Tasks";
  notes.name = "Notes";
  Tick(engine.Contacts(source), engine.Contacts(kAppGoogle), engine.SelectedContacts(), s.SyncAddr,
       a.all, contacts);
  Tick(engine.Calendar(source), engine.Calendar(kAppGoogle), engine.SelectedEvents(), s.SyncDate,
       a.all, calendar);
  Tick(engine.Tasks(source), engine.Tasks(kAppGoogle), engine.SelectedTasks(), s.SyncTask, a.all,
       tasks);
  Tick(engine.Notes(source), engine.Notes(kAppGoogle), engine.SelectedNotes(), s.SyncNote, a.all,
       notes);

  if (!a.report.empty()) {
    std::ofstream out(a.report, std::ios::binary | std::ios::trunc);
    bool ok = static_cast<bool>(out) &&
              (!contacts.on || WriteReport(out, "contacts", engine.Contacts(source))) &&
              (!calendar.on || WriteReport(out, "calendar", engine.Calendar(source))) &&
              (!tasks.on || WriteReport(out, "tasks", engine.Tasks(source))) &&
              (!notes.on || WriteReport(out, "notes", engine.Notes(source)));
    out.close();
    if (!ok || !out) {
      std::fprintf(stderr, "quillmove-cli migrate: cannot write the report %s\n", a.report.c_str());
      return kFailed;
    }
  }

  if (!a.dryRun) {
    if (!engine.SubmitChanges(kAppGoogle)) return kFailed;
    contacts.submitted = engine.SelectedContacts().Count();
    calendar.submitted = engine.SelectedEvents().Count();
  }

  for (const TypeCounts* c : {&contacts, &calendar, &tasks, &notes}) {
    if (!c->on) continue;
    std::printf("%s: %s %s records, Google %s records; %s new, %s different, %s same; %s %s\n",
                c->name, AppName(source), Grouped(c->source).c_str(), Grouped(c->target).c_str(),
                Grouped(c->fresh).c_str(), Grouped(c->differ).c_str(), Grouped(c->same).c_str(),
                Grouped(c->submitted).c_str(), a.dryRun ? "submitted (dry run)" : "submitted");
  }
  for (const std::string& w : engine.LoadWarnings()) std::printf("Warning: %s\n", w.c_str());
  if (!a.dryRun) std::printf("Migration log: %s\n", engine.MigrationLogPath().c_str());
  PrintAccountPlace(folder, s.GGEmail.str());
  return kOk;
}
