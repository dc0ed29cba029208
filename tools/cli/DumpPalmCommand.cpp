// `dump palm contacts|calendar|tasks|notes (--file F | --user ID) [--native] [--code-page N]`:
// loads through the Palm source of that data type and prints the common records, or with
// --native the Palm records themselves (every field by its table position, the category name and
// the repeat rule), as JSON lines, so that our reader can be set against other readers.
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <system_error>
#include <thread>
#include <type_traits>
#include <variant>
#include <vector>

#include "cli/DumpSources.h"
#include "cli/JsonLines.h"
#include "cli/RecordJsonLine.h"
#include "misc/CxDebugUtil.h"
#include "src/AppSettings.h"
#include "src/EngineConnectors.h"

namespace {

// kPartial: the records were printed, but the file could be read only in part.
constexpr int kOk = 0, kFailed = 1, kBadInput = 2, kPartial = 3;

using ojson = nlohmann::ordered_json;

ojson RepeatJson(const PmRepeat& r) {
  return ojson{{"kind", r.kind},
               {"interval", r.interval},
               {"endDate", r.endDate},
               {"firstDayOfWeek", r.firstDayOfWeek},
               {"dayIndex", r.dayIndex},
               {"dayMask", r.dayMask},
               {"weekIndex", r.weekIndex},
               {"dayNumber", r.dayNumber},
               {"monthIndex", r.monthIndex},
               {"exceptions", r.exceptions}};
}

ojson OpaqueJson(const PmOpaque& o) {
  return ojson{{"size", o.size}, {"first", o.first}, {"second", o.second}, {"bytes", o.bytes}};
}

// A 4.x record: "fields" in table order; texts decoded from the code page.
template <class Rec>
ojson NativeJson(int layout, const Rec& rec, const PmCodePage& cp) {
  ojson fields = ojson::array();
  for (const auto& f : Rec::Fields()) {
    std::visit(
        [&](auto* value) {
          using T = std::remove_pointer_t<decltype(value)>;
          if constexpr (std::is_same_v<T, std::string>) {
            fields.push_back(cp.Decode(*value));
          } else if constexpr (std::is_same_v<T, PmRepeat>) {
            fields.push_back(RepeatJson(*value));
          } else if constexpr (std::is_same_v<T, PmOpaque>) {
            fields.push_back(OpaqueJson(*value));
          } else {
            fields.push_back(*value);
          }
        },
        f.ref(const_cast<Rec&>(rec)));
  }
  ojson j{{"layout", layout}, {"category", cp.Decode(rec.categoryName)}, {"fields", fields}};
  if (!rec.extra.empty()) j["extraFields"] = rec.extra.size();
  return j;
}

// A 6.x row: its columns by name, as stored.
template <class Rec>
ojson NativeJson(int layout, const Rec& rec) {
  ojson columns = ojson::object();
  for (const auto& c : Rec::Columns()) {
    std::visit(
        [&](auto value) {
          if constexpr (std::is_same_v<decltype(value), TextFieldRef>) {
            columns[std::string(c.name)] = std::string(value.view());
          } else {
            columns[std::string(c.name)] = *value;
          }
        },
        c.target(const_cast<Rec&>(rec)));
  }
  ojson j{{"layout", layout}, {"category", rec.categoryName.str()}, {"columns", columns}};
  if constexpr (requires { rec.repeat; }) j["repeat"] = RepeatJson(rec.repeat);
  return j;
}

template <class Item>
ojson ItemJson(const Item& item, const PmCodePage& cp) {
  return std::visit(
      [&](const auto& copy) -> ojson {
        if constexpr (std::is_same_v<std::decay_t<decltype(copy)>, std::monostate>) {
          return ojson::object();
        } else if constexpr (requires { std::decay_t<decltype(*copy)>::Fields(); }) {
          return NativeJson(item.layout, *copy, cp);
        } else {
          return NativeJson(item.layout, *copy);
        }
      },
      item.record);
}

// A HotSync id as Palm Desktop stores it: 32 bits, often written unsigned. Anything wider would
// wrap onto another user's id.
bool ParseUserId(const std::string& text, std::int32_t& id) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  long long value = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || *end != 0 || value < INT32_MIN || value > UINT32_MAX) return false;
  id = static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
  return true;
}

// Formats records [begin, end) into one buffer.
template <class Manager>
void Format(const Manager& records, std::uint32_t begin, std::uint32_t end, RecordJsonLine& buf) {
  buf.clear();
  for (std::uint32_t i = begin; i < end; ++i)
    buf.Append(*records.Peek(static_cast<std::int32_t>(i)));
}

// Every record stands alone, so a second thread formats every other slice while this one formats
// the slice before it; slices are written in order. Without a second thread, this one does both.
template <class Manager>
bool WriteLines(const Manager& records) {
  // Small slices keep the two text buffers small: records with long notes run to kilobytes.
  constexpr std::uint32_t kSlice = 1024;
  const std::uint32_t count = records.Count();
  RecordJsonLine mine, theirs;
  for (std::uint32_t at = 0; at < count; at += 2 * kSlice) {
    const std::uint32_t mid = std::min(count, at + kSlice);
    const std::uint32_t end = std::min(count, mid + kSlice);
    std::thread other;
    if (mid < end) {
      try {
        other = std::thread([&] { Format(records, mid, end, theirs); });
      } catch (const std::system_error&) {
        Format(records, mid, end, theirs);
      }
    }
    Format(records, at, mid, mine);
    if (other.joinable()) other.join();
    if (std::fwrite(mine.data(), 1, mine.size(), stdout) != mine.size()) return false;
    if (mid < end && std::fwrite(theirs.data(), 1, theirs.size(), stdout) != theirs.size())
      return false;
  }
  return std::fflush(stdout) == 0;
}

// Loads as the engine does, through the Palm source's connector; the messages are the wizard's.
template <class Connector>
int Run(Connector& connector, const DumpArgs& a, const char* title) {
  PalmLoadOptions options;
  options.codePage =
      static_cast<std::uint32_t>(std::strtoul(a.Get("--code-page")->c_str(), nullptr, 10));
  // Common records alone need no Palm records behind them; a large date book then fits in
  // half the memory.
  connector.Source().SetKeepNative(a.native);
  std::string reason;
  if (const std::string* file = a.Get("--file")) {
    options.byFile = true;
    options.file = *file;
  } else if (!ParseUserId(*a.Get("--user"), options.userId)) {
    reason = "not a user ID: " + *a.Get("--user");
  }
  connector.Configure(options);
  auto& info = connector.Source();
  const bool ok = reason.empty() && connector.Load();
  if (!ok) {
    // The source's own reason, as the wizard shows it.
    if (reason.empty()) reason = info.Report().reason;
    if (reason.empty()) reason = "no reason was given";
    std::fprintf(stderr, "Failed to load Palm Desktop %s information.\n%s\n", title,
                 reason.c_str());
    return kFailed;
  }
  LineWriter out;
  if (a.native) {
    PmCodePage cp(options.codePage);
    for (auto* item = info.First(); item; item = info.Next())
      out.Line(ItemJson(*item, cp).dump(-1, ' ', false, ojson::error_handler_t::replace));
  } else if (!WriteLines(connector.Records())) {
    std::fprintf(stderr, "quillmove-cli dump palm: could not write the records.\n");
    return kFailed;
  }
  const CxLoadReport& report = info.Report();
  if (!report.complete) {
    std::fflush(stdout);
    std::fprintf(stderr,
                 "quillmove-cli dump palm: warning: only part of the %s was read: %s records "
                 "kept; stopped at %s\n",
                 title, PmCounted(report.records).c_str(), report.stoppedAt.c_str());
    return kPartial;
  }
  return kOk;
}

// The process ends right after a dump; giving a large file's records back to the allocator one
// by one would cost a tenth of the run, so the source stays reachable until exit instead.
template <class Connector>
Connector& KeptUntilExit(const char* title) {
  static Connector* kept = new Connector(std::string("Palm Desktop ") + title);
  return *kept;
}

int Usage() {
  std::fprintf(stderr,
               "usage: quillmove-cli dump palm contacts|calendar|tasks|notes "
               "(--file F | --user ID) [--native] [--code-page N]\n");
  return kBadInput;
}

}  // namespace

int ParsePalmDumpArgs(const std::vector<std::string>& args, DumpArgs& a) {
  // args[0] is "palm".
  if (args.size() < 2) return Usage();
  a.type = args[1];
  a.options["--code-page"] = std::to_string(PmCodePage::kWindows1252);
  for (std::size_t i = 2; i < args.size(); ++i) {
    const std::string& opt = args[i];
    if (opt == "--native") {
      a.native = true;
      continue;
    }
    if (i + 1 >= args.size()) return Usage();
    const std::string& value = args[++i];
    if (opt == "--file" || opt == "--user") {
      a.options[opt] = value;
    } else if (opt == "--code-page") {
      errno = 0;
      char* end = nullptr;
      unsigned long cp = std::strtoul(value.c_str(), &end, 10);
      if (value.empty() || *end != 0 || errno != 0 || cp > UINT32_MAX ||
          !PmCodePage::Known(static_cast<std::uint32_t>(cp))) {
        std::fprintf(stderr, "quillmove-cli dump palm: unknown code page %s\n", value.c_str());
        return kBadInput;
      }
      a.options[opt] = std::to_string(cp);
    } else {
      std::fprintf(stderr, "quillmove-cli dump palm: unknown option %s\n", opt.c_str());
      return kBadInput;
    }
  }
  // An empty name counts as none, as it always has.
  for (const char* key : {"--file", "--user"}) {
    const std::string* v = a.Get(key);
    if (v && v->empty()) a.options.erase(key);
  }
  if ((a.Get("--file") == nullptr) == (a.Get("--user") == nullptr)) return Usage();
  // The readers log to the debug log, which belongs in the data folder, not the current one.
  std::string folder;
  if (GetAppDataFolder(folder)) CxDebugUtil::Instance().SetFolder(folder);
  return kOk;
}

int DumpPalmContacts(const DumpArgs& a) {
  return Run(KeptUntilExit<PalmContactsConnector>("Contacts"), a, "Contacts");
}
int DumpPalmCalendar(const DumpArgs& a) {
  return Run(KeptUntilExit<PalmCalendarConnector>("Calendar"), a, "Calendar");
}
int DumpPalmTasks(const DumpArgs& a) {
  return Run(KeptUntilExit<PalmTasksConnector>("Tasks"), a, "Tasks");
}
int DumpPalmNotes(const DumpArgs& a) {
  return Run(KeptUntilExit<PalmNotesConnector>("Memos"), a, "Memos");
}
