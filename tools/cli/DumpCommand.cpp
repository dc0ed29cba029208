// `dump SOURCE TYPE [--option value ...]`: loads one data type of one source through its
// connector and prints the common records as JSON lines. Every source is one row of the table
// below; how it is loaded decides which options it takes.
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/DumpACT.h"
#include "cli/DumpFolders.h"
#include "cli/DumpSources.h"
#include "cli/JsonLines.h"
#include "google/CxGAddrUtil.h"
#include "google/CxGDateUtil.h"
#include "google/CxGNoteUtil.h"
#include "google/CxGTaskUtil.h"
#include "misc/CxDebugUtil.h"
#include "src/AppSettings.h"

namespace {

constexpr int kOk = 0, kFailed = 1, kBadInput = 2;

template <class Manager>
void PrintRecords(Manager& records) {
  LineWriter out;
  for (std::uint32_t i = 0; i < records.Count(); ++i)
    out.Line(ToJson(*records.Peek(static_cast<std::int32_t>(i)))
                 .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
}

// Loads through the helper, or reads `--data-file` through the connector's own reader. `title`
// names the data type as the wizard's messages do.
template <class Util, class ReadFile>
int DumpGoogleWith(const DumpArgs& a, const char* title, ReadFile readFile) {
  const std::string folder = DumpWorkFolder(a);
  if (folder.empty()) return kFailed;

  if (const std::string* dataFile = a.Get("--data-file")) {
    ScratchFolder scratch;
    if (scratch.path().empty()) {
      std::fprintf(stderr, "quillmove-cli dump: cannot make a temporary folder\n");
      return kFailed;
    }
    std::error_code ec;
    std::string path = std::filesystem::absolute(*dataFile, ec).string();
    int result = kOk;
    {
      Util util;
      util.SetFolder(scratch.path());
      if (ec || !readFile(util, path)) {
        std::fprintf(stderr,
                     "quillmove-cli dump: %s is not a readable %s data file: %s (details in %s)\n",
                     dataFile->c_str(), title, util.Report().reason.c_str(),
                     CxDebugUtil::Instance().FilePath().c_str());
        result = kBadInput;
      } else {
        PrintRecords(util.Records());
      }
    }
    return result;
  }

  const std::string* email = a.Get("--email");
  const std::string* password = a.Get("--password");
  if (!email || !password) {
    std::fprintf(stderr, "quillmove-cli dump google: --email and --password are needed\n");
    return kBadInput;
  }
  Util util;
  util.SetFolder(folder);
  util.SetLogFolder(folder);
  util.SetUser(*email);
  util.SetPassword(*password);
  bool ok = util.Load();
  for (const std::string& w : util.Warnings()) std::fprintf(stderr, "warning: %s\n", w.c_str());
  if (!ok || util.HasError()) {
    // The load's reason: the helper's last error, or what kept it from running or being read.
    std::fprintf(stderr, "Loading %s Error: %s\n", title, util.Report().reason.c_str());
    std::fprintf(stderr, "quillmove-cli dump: details in %s\n",
                 CxDebugUtil::Instance().FilePath().c_str());
    return kFailed;
  }
  PrintRecords(util.Records());
  return kOk;
}

int DumpGoogleContacts(const DumpArgs& a) {
  return DumpGoogleWith<CxGAddrUtil>(
      a, "Google Contacts",
      [](CxGAddrUtil& u, const std::string& p) { return u.ReadContactsFile(p); });
}
int DumpGoogleCalendar(const DumpArgs& a) {
  return DumpGoogleWith<CxGDateUtil>(
      a, "Google Calendar",
      [](CxGDateUtil& u, const std::string& p) { return u.ReadEventsFile(p); });
}
int DumpGoogleTasks(const DumpArgs& a) {
  return DumpGoogleWith<CxGTaskUtil>(
      a, "Google Tasks", [](CxGTaskUtil& u, const std::string& p) { return u.ReadDataFile(p); });
}
int DumpGoogleNotes(const DumpArgs& a) {
  return DumpGoogleWith<CxGNoteUtil>(
      a, "Google Notes", [](CxGNoteUtil& u, const std::string& p) { return u.ReadDataFile(p); });
}

int ParseAccountArgs(const std::vector<std::string>& args, DumpArgs& a) {
  if (args.size() < 2) {
    std::fprintf(stderr, "usage: quillmove-cli dump SOURCE contacts|calendar|tasks|notes ...\n");
    return kBadInput;
  }
  a.type = args[1];
  for (std::size_t i = 2; i < args.size(); i += 2) {
    if (args[i].rfind("--", 0) != 0 || i + 1 >= args.size()) {
      std::fprintf(stderr, "quillmove-cli dump: expected --option value, got %s\n",
                   args[i].c_str());
      return kBadInput;
    }
    a.options[args[i]] = args[i + 1];
  }
  if (const std::string* bad = a.Unknown({"--email", "--password", "--folder", "--data-file"})) {
    std::fprintf(stderr, "quillmove-cli dump %s: unknown option %s\n", args[0].c_str(),
                 bad->c_str());
    return kBadInput;
  }
  return kOk;
}

struct DumpSourceRow {
  const char* application;
  const char* type;
  // How the source is loaded decides its options: 0, or the exit code after a message.
  int (*parse)(const std::vector<std::string>& args, DumpArgs& a);
  int (*dump)(const DumpArgs& a);
};

// One line per application and data type; a new connector adds its lines here.
constexpr DumpSourceRow kDumpSources[] = {
    {"google", "contacts", ParseAccountArgs, DumpGoogleContacts},
    {"google", "calendar", ParseAccountArgs, DumpGoogleCalendar},
    {"google", "tasks", ParseAccountArgs, DumpGoogleTasks},
    {"google", "notes", ParseAccountArgs, DumpGoogleNotes},
    {"palm", "contacts", ParsePalmDumpArgs, DumpPalmContacts},
    {"palm", "calendar", ParsePalmDumpArgs, DumpPalmCalendar},
    {"palm", "tasks", ParsePalmDumpArgs, DumpPalmTasks},
    {"palm", "notes", ParsePalmDumpArgs, DumpPalmNotes},
    {"notes", "contacts", ParseNotesDumpArgs, DumpNotesContacts},
    {"notes", "calendar", ParseNotesDumpArgs, DumpNotesCalendar},
    {"notes", "tasks", ParseNotesDumpArgs, DumpNotesTasks},
    {"notes", "notes", ParseNotesDumpArgs, DumpNotesNotes},
    {"outlook", "contacts", ParseOutlookDumpArgs, DumpOutlookContacts},
    {"outlook", "calendar", ParseOutlookDumpArgs, DumpOutlookCalendar},
    {"outlook", "tasks", ParseOutlookDumpArgs, DumpOutlookTasks},
    {"outlook", "notes", ParseOutlookDumpArgs, DumpOutlookNotes},
    {"act", "contacts", ParseACTDumpArgs, DumpACTContacts},
    {"act", "calendar", ParseACTDumpArgs, DumpACTCalendar},
    {"act", "tasks", ParseACTDumpArgs, DumpACTTasks},
    {"act", "notes", ParseACTDumpArgs, DumpACTNotes},
};

}  // namespace

int DumpCommand(const std::vector<std::string>& args) {
  const DumpSourceRow* first = nullptr;
  for (const DumpSourceRow& row : kDumpSources)
    if (!first && !args.empty() && args[0] == row.application) first = &row;
  if (!first) {
    if (args.size() < 2) {
      std::fprintf(stderr, "usage: quillmove-cli dump SOURCE contacts|calendar|tasks|notes ...\n");
      return kBadInput;
    }
    std::fprintf(stderr, "quillmove-cli dump: unknown source %s\n", args[0].c_str());
    return kBadInput;
  }
  DumpArgs a;
  const int parsed = first->parse(args, a);
  if (parsed != kOk) return parsed;
  for (const DumpSourceRow& row : kDumpSources)
    if (row.application == args[0] && row.type == a.type) return row.dump(a);
  std::fprintf(stderr, "quillmove-cli dump %s: unknown record type %s\n", args[0].c_str(),
               a.type.c_str());
  return kBadInput;
}
