// `dump outlook contacts|calendar|tasks|notes [--store FILE] [--native] [--time]`: loads the
// default folder of that data type through the Outlook connector (automation, the stand-in
// Outlook over its store) and prints the common records, or with --native the Outlook items'
// properties as the connector read them, as JSON lines. --time reports the load's time on
// standard error.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <type_traits>
#include <vector>

#include "cli/DumpSources.h"
#include "cli/JsonLines.h"
#include "misc/CxDebugUtil.h"
#include "outlook/OlConnectors.h"
#include "platform/outlook/OutlookStandIn.h"
#include "src/AppSettings.h"

namespace {

constexpr int kOk = 0, kFailed = 1, kBadInput = 2;

using ojson = nlohmann::ordered_json;

template <class T>
void Put(ojson& j, const char* name, const T& value) {
  if constexpr (std::is_base_of_v<TextStorage, T>)
    j[name] = value.str();
  else if constexpr (std::is_same_v<T, OleDate>)
    j[name] = value.value;
  else
    j[name] = value;
}

ojson NativeJson(const OlContactRecord& r) {
  ojson j = ojson::object();
  for (const OlContactRow& row : kOlContactRows) {
    switch (row.kind) {
      case OlKind::kText:
        j[row.property] = std::string(r.View(row.field));
        break;
      case OlKind::kDate:
        j[row.property] = r.Date(row.field)->value;
        break;
      case OlKind::kLong:
        j[row.property] = r.Gender;
        break;
    }
  }
  ojson props = ojson::array();
  for (std::size_t n = 0; n < OlContactRecord::kUserProps; ++n)
    if (!r.UserPropName[n].empty() || !r.UserPropValue[n].empty())
      props.push_back({{"Name", r.UserPropName[n].str()}, {"Value", r.UserPropValue[n].str()}});
  j["UserProperties"] = props;
  return j;
}

template <class Record>
ojson NativeJson(const Record& r) {
  ojson j = ojson::object();
  Record::VisitFields(r, [&](const char* name, const auto& value) { Put(j, name, value); });
  return j;
}

template <class Connector, class Native>
int DumpOutlookWith(const DumpArgs& a, const char* title) {
  std::string folder;
  if (!GetAppDataFolder(folder)) {
    std::fprintf(stderr, "quillmove-cli dump: cannot find or make the data folder\n");
    return kFailed;
  }
  CxDebugUtil::Instance().SetFolder(folder);
  if (const std::string* store = a.Get("--store")) {
    // The stand-in takes a missing store for an empty Outlook; a store named here must exist.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(*store, ec)) {
      std::fprintf(stderr, "quillmove-cli dump outlook: no store file %s\n", store->c_str());
      return kFailed;
    }
    platform::outlook::SetStoreFile(*store);
  }

  const auto began = std::chrono::steady_clock::now();
  Connector connector(title);
  const bool ok = connector.Load();
  const auto took = std::chrono::steady_clock::now() - began;
  const platform::outlook::StoreReport store = platform::outlook::LastStoreReport();
  for (const std::string& p : store.problems)
    std::fprintf(stderr, "warning: %s: %s\n", store.path.c_str(), p.c_str());
  if (!ok) {
    std::fprintf(stderr, "%s\n", connector.Report().reason.c_str());
    if (!store.error.empty()) std::fprintf(stderr, "Outlook store: %s\n", store.error.c_str());
    return kFailed;
  }
  auto& records = connector.Records();
  if (a.Get("--time"))
    std::fprintf(stderr, "%s: %u records loaded in %.3f s\n", title, records.Count(),
                 std::chrono::duration<double>(took).count());
  LineWriter out;
  for (std::uint32_t i = 0; i < records.Count(); ++i) {
    const auto* r = records.Peek(static_cast<std::int32_t>(i));
    ojson j;
    if (a.native) {
      const Native* n = r->NativeRecord.template As<Native>();
      j = n ? NativeJson(*n) : ojson::object();
    } else {
      j = ToJson(*r);
    }
    out.Line(j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
  }
  return kOk;
}

}  // namespace

int ParseOutlookDumpArgs(const std::vector<std::string>& args, DumpArgs& a) {
  if (args.size() < 2) {
    std::fprintf(stderr,
                 "usage: quillmove-cli dump outlook contacts|calendar|tasks|notes [--store FILE] "
                 "[--native] [--time]\n");
    return kBadInput;
  }
  a.type = args[1];
  for (std::size_t i = 2; i < args.size(); ++i) {
    if (args[i] == "--native") {
      a.native = true;
    } else if (args[i] == "--time") {
      a.options["--time"] = "";
    } else if (args[i] == "--store" && i + 1 < args.size()) {
      a.options["--store"] = args[++i];
    } else {
      std::fprintf(stderr, "quillmove-cli dump outlook: unknown option %s\n", args[i].c_str());
      return kBadInput;
    }
  }
  return kOk;
}

int DumpOutlookContacts(const DumpArgs& a) {
  return DumpOutlookWith<OutlookContactsConnector, OlContactRecord>(a, "Outlook Contacts");
}
int DumpOutlookCalendar(const DumpArgs& a) {
  return DumpOutlookWith<OutlookCalendarConnector, OlEventRecord>(a, "Outlook Calendar");
}
int DumpOutlookTasks(const DumpArgs& a) {
  return DumpOutlookWith<OutlookTasksConnector, OlTaskRecord>(a, "Outlook Tasks");
}
int DumpOutlookNotes(const DumpArgs& a) {
  return DumpOutlookWith<OutlookNotesConnector, OlNoteRecord>(a, "Outlook Notes");
}
