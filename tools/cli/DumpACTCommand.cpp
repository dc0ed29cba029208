// `dump act contacts|calendar|tasks|notes --database FILE [--user U] [--password P]
// [--folder DIR] [--native]`: loads through the ACT! connector and its helper (or reads a helper
// data file with --data-file FILE) and prints the common records, or with --native the ACT!
// records themselves, as JSON lines.
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <type_traits>
#include <vector>

#include <nlohmann/json.hpp>

#include "ACT/CxACTAddrUtil.h"
#include "ACT/CxACTDateUtil.h"
#include "ACT/CxACTNoteUtil.h"
#include "ACT/CxACTTaskUtil.h"
#include "cli/DumpACT.h"
#include "cli/DumpFolders.h"
#include "cli/JsonLines.h"
#include "misc/CxDebugUtil.h"
#include "src/AppSettings.h"

namespace {

// kPartial: the records were printed, but the data file could be read only in part.
constexpr int kOk = 0, kFailed = 1, kBadInput = 2, kPartial = 3;

using ojson = nlohmann::ordered_json;

struct NativeFields {
  ojson& j;
  void operator()(const char* name, const std::int32_t& v) { j[name] = v; }
  void operator()(const char* name, const bool& v) { j[name] = v; }
  void operator()(const char* name, const OleDate& v) { j[name] = v.value; }
  template <std::size_t N>
  void operator()(const char* name, const FixedText<N>& v) {
    j[name] = v.str();
  }
};

template <class Record>
ojson NativeJson(const Record& r) {
  ojson j = ojson::object();
  Record::VisitFileFields(r, NativeFields{j});
  return j;
}

// The contact's fields by their labels, in table order.
ojson NativeJson(const ACTContactRecord& r) {
  ojson j{{"ChangeMark", r.ChangeMark}, {"Action", r.Action}};
  for (const ACTContactField& f : kACTContactFields) {
    if (f.type == kACTFieldText)
      j[f.label] = std::string(r.Text(f.id));
    else if (f.type == kACTFieldBool)
      j[f.label] = r.Flag(f.id);
    else
      j[f.label] = r.Date(f.id).value;
  }
  return j;
}

template <class Util>
void Print(Util& util, bool native) {
  LineWriter out;
  auto& records = util.Records();
  for (std::uint32_t i = 0; i < records.Count(); ++i) {
    if (native) {
      if (const auto* n = util.NativeAt(i))
        out.Line(NativeJson(*n).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
    } else {
      out.Line(ToJson(*records.Peek(static_cast<std::int32_t>(i)))
                   .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
    }
  }
}

template <class Util>
int DumpACTWith(const DumpArgs& a, const char* title) {
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
    Util util;
    util.SetFolder(scratch.path());
    if (!ec && util.ReadDataFile(path)) {
      Print(util, a.native);
      return kOk;
    }
    std::fprintf(stderr,
                 "quillmove-cli dump: %s is not a readable %s data file: %s (details in %s)\n",
                 dataFile->c_str(), title, util.Report().reason.c_str(),
                 CxDebugUtil::Instance().FilePath().c_str());
    if (util.NativeCount() == 0) return kBadInput;
    Print(util, a.native);
    std::fprintf(stderr, "quillmove-cli dump: %zu records were read before that\n",
                 util.NativeCount());
    return kPartial;
  }

  const std::string* database = a.Get("--database");
  if (!database) {
    std::fprintf(stderr, "quillmove-cli dump act: --database or --data-file is needed\n");
    return kBadInput;
  }
  std::error_code ec;
  Util util;
  util.SetFolder(folder);
  util.SetLogFolder(folder);
  util.SetDatabase(std::filesystem::absolute(*database, ec).string());
  if (const std::string* u = a.Get("--user")) util.SetUser(*u);
  if (const std::string* p = a.Get("--password")) util.SetPassword(*p);
  if constexpr (std::is_same_v<Util, CxACTTaskUtil>) {
    util.SetIncludeOpportunities(true);
    util.SetIncludeOpportunityNotes(true);
  }
  bool ok = util.Load();
  for (const std::string& w : util.Warnings()) std::fprintf(stderr, "warning: %s\n", w.c_str());
  if (!ok) {
    std::fprintf(stderr, "Loading %s Error: %s\n", title, util.Report().reason.c_str());
    std::fprintf(stderr, "quillmove-cli dump: details in %s\n",
                 CxDebugUtil::Instance().FilePath().c_str());
    return kFailed;
  }
  Print(util, a.native);
  return kOk;
}

}  // namespace

int ParseACTDumpArgs(const std::vector<std::string>& args, DumpArgs& a) {
  return ParseHelperDumpArgs(args, a,
                             {"--database", "--user", "--password", "--folder", "--data-file"},
                             "usage: quillmove-cli dump SOURCE contacts|calendar|tasks|notes ...");
}

int DumpACTContacts(const DumpArgs& a) {
  return DumpACTWith<CxACTAddrUtil>(a, "ACT! Contacts");
}
int DumpACTCalendar(const DumpArgs& a) {
  return DumpACTWith<CxACTDateUtil>(a, "ACT! Calendar");
}
int DumpACTTasks(const DumpArgs& a) {
  return DumpACTWith<CxACTTaskUtil>(a, "ACT! Todos or Opportunities");
}
int DumpACTNotes(const DumpArgs& a) {
  return DumpACTWith<CxACTNoteUtil>(a, "ACT! Notes");
}
