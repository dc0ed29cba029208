// `dump notes contacts|calendar|tasks|notes --database DB [--id-file F] [--password P]
// [--folder DIR] [--native]`, or `... --data-file FILE [--native]`: loads one list of a Notes
// database through its connector and the Notes helper (or reads a helper data file) and prints
// the common records, or with --native the Notes records themselves, as JSON lines.
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/DumpFolders.h"
#include "cli/DumpSources.h"
#include "cli/JsonLines.h"
#include "lotus/CxLNAddrUtil.h"
#include "lotus/CxLNDateUtil.h"
#include "lotus/CxLNNoteUtil.h"
#include "lotus/CxLNTaskUtil.h"
#include "misc/CxDebugUtil.h"
#include "src/AppSettings.h"

namespace {

constexpr int kOk = 0, kFailed = 1, kBadInput = 2;

using ojson = nlohmann::ordered_json;

// A Notes record field by field, named as its field list names them.
struct NativeWriter {
  ojson& out;
  static ojson Value(const std::int32_t& v) { return v; }
  static ojson Value(const bool& v) { return v; }
  static ojson Value(const OleDate& v) { return v.value; }
  template <std::size_t N>
  static ojson Value(const FixedText<N>& v) {
    return std::string(v.view());
  }
  template <class T, std::size_t N>
  static ojson Value(const std::array<T, N>& a) {
    ojson list = ojson::array();
    for (const T& e : a) list.push_back(Value(e));
    return list;
  }
  template <class T>
  void operator()(const char* name, const T& field) {
    out[name] = Value(field);
  }
};

template <class Util>
void Print(Util& util, bool native) {
  LineWriter out;
  const auto dump = [](const auto& j) {
    return j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  };
  if (native) {
    for (std::size_t i = 0; i < util.NativeCount(); ++i) {
      ojson j = ojson::object();
      NativeWriter w{j};
      std::decay_t<decltype(*util.NativeAt(i))>::VisitFields(*util.NativeAt(i), w);
      out.Line(dump(j));
    }
    return;
  }
  auto& records = util.Records();
  for (std::uint32_t i = 0; i < records.Count(); ++i)
    out.Line(dump(ToJson(*records.Peek(static_cast<std::int32_t>(i)))));
}

template <class Util>
int DumpNotesWith(const DumpArgs& a, const char* title) {
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
    if (ec || !util.ReadDataFile(path)) {
      std::fprintf(stderr,
                   "quillmove-cli dump: %s is not a readable %s data file: %s (details in %s)\n",
                   dataFile->c_str(), title, util.Report().reason.c_str(),
                   CxDebugUtil::Instance().FilePath().c_str());
      return kBadInput;
    }
    Print(util, a.native);
    return kOk;
  }

  const std::string* database = a.Get("--database");
  if (!database) {
    std::fprintf(stderr, "quillmove-cli dump notes: --database or --data-file is needed\n");
    return kBadInput;
  }
  Util util;
  util.SetFolder(folder);
  util.SetLogFolder(folder);
  util.SetDatabase(*database);
  if (const std::string* id = a.Get("--id-file")) util.SetIdFile(*id);
  if (const std::string* password = a.Get("--password")) util.SetPassword(*password);
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

int ParseNotesDumpArgs(const std::vector<std::string>& args, DumpArgs& a) {
  return ParseHelperDumpArgs(
      args, a, {"--database", "--id-file", "--password", "--folder", "--data-file"},
      "usage: quillmove-cli dump notes contacts|calendar|tasks|notes "
      "(--database DB [--id-file F] [--password P] [--folder DIR] | --data-file FILE) "
      "[--native]");
}

int DumpNotesContacts(const DumpArgs& a) {
  return DumpNotesWith<CxLNAddrUtil>(a, "Lotus Notes Contacts");
}
int DumpNotesCalendar(const DumpArgs& a) {
  return DumpNotesWith<CxLNDateUtil>(a, "Lotus Notes Calendar");
}
int DumpNotesTasks(const DumpArgs& a) {
  return DumpNotesWith<CxLNTaskUtil>(a, "Lotus Notes Todo");
}
int DumpNotesNotes(const DumpArgs& a) {
  return DumpNotesWith<CxLNNoteUtil>(a, "Lotus Notes Notebook");
}
