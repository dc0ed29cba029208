// Times a whole migration's helper runs on the Google back end against the local stand-in:
// CONTACTS contacts and EVENTS events added, loaded back and (contacts) updated, each through
// the real helper programs. Prints the requests each run made and, from them, the time the
// same runs take against Google at its per-user write rates.
//
//   qm_bench_gapi [CONTACTS] [EVENTS]      (25,000 and 10,000 by default)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "GApiStandIn.h"
#include "helper/CxHelperParamParser.h"
#include "misc/CxFile.h"

namespace {

using json = nlohmann::json;
constexpr const char* kUser = "bench@example.com";

struct Bench {
  GApiStandIn standin;
  TempDir data, work, tokens;

  bool Run(const char* program, const char* stem, int operation) {
    CxHelperParamParser p;
    p.SetText(1000, kUser);
    p.SetText(1001, "");
    p.SetText(1002, std::string(stem) + ".dat");
    p.SetText(1003, work.folder());
    p.SetText(1004, "");
    p.SetText(1005, std::to_string(operation));
    if (std::string(stem) == "GDate") {
      p.SetText(1006, "");
      p.SetText(1007, "");
      p.SetText(1008, "GCal.dat");
    }
    p.SetText(1009, std::string(stem) + "Err.dat");
    p.SetText(1010, std::string(stem) + "Status.dat");
    p.SetText(1013, work.folder());
    p.SetText(1014, "appdebug.log");
    p.SetText(1015, "0");
    p.SetText(1016, "0");
    std::string param = work.file(std::string(stem) + "Param.dat");
    if (!p.Write(param)) return false;
    CommandRun r = RunCommand(std::string(QM_BIN_DIR) + "/" + program + " " + param);
    std::string err = ReadFile(work.file(std::string(stem) + "Err.dat"));
    if (err.find("Error.Count=0") == std::string::npos && err.find("Count=") != std::string::npos) {
      std::fprintf(stderr, "%s reported errors:\n%s\n", program, err.substr(0, 2000).c_str());
      return false;
    }
    return r.status == 0;
  }

  template <class Record, class WriteFn>
  void Write(const char* stem, const std::vector<Record>& records, WriteFn write) {
    CxFile f;
    f.Open(work.file(std::string(stem) + ".dat"), "wb");
    f.WriteInt32(static_cast<std::int32_t>(records.size()));
    for (const Record& r : records) write(f, r);
    f.Close();
  }

  template <class Record, class ReadFn>
  std::vector<Record> Read(const char* stem, ReadFn read) {
    std::vector<Record> out;
    CxFile f;
    std::int32_t n = 0;
    if (!f.Open(work.file(std::string(stem) + ".dat"), "rb") || !f.ReadInt32(n)) return out;
    for (std::int32_t i = 0; i < n; ++i) {
      Record r;
      if (!read(f, r)) break;
      out.push_back(std::move(r));
    }
    return out;
  }
};

struct Phase {
  const char* name;
  std::size_t records;
  double seconds;
  json before, after;
};

int Diff(const json& a, const json& b, const std::string& key) {
  int x = a["by"].contains(key) ? a["by"][key].get<int>() : 0;
  int y = b["by"].contains(key) ? b["by"][key].get<int>() : 0;
  return y - x;
}

void Report(const Phase& p, bool calendar) {
  int total = p.after["requests"].get<int>() - p.before["requests"].get<int>();
  std::printf("%-22s %7zu records %7.1f s  %6d requests:", p.name, p.records, p.seconds, total);
  int writes = 0;
  for (auto it = p.after["by"].begin(); it != p.after["by"].end(); ++it) {
    int n = Diff(p.before, p.after, it.key());
    if (!n) continue;
    std::printf(" %s %d,", it.key().c_str(), n);
    if (it.key().rfind("GET", 0) != 0) writes += n;
  }
  // Google's per-user rates: People writes ~90 a minute (the helper keeps to 80), Calendar
  // 600 requests a minute (the helper keeps to 540); reads are few.
  double minutes = calendar ? total / 540.0 : writes / 80.0 + (total - writes) / 90.0;
  std::printf(" at Google's rates %.1f min\n", minutes);
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t contacts = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 25000;
  const std::size_t events = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 10000;
  Bench b;
  if (!b.standin.Up()) {
    std::fprintf(stderr, "The stand-in did not start (python3).\n");
    return 1;
  }
  setenv("XDG_DATA_HOME", b.data.path().c_str(), 1);
  std::filesystem::create_directories(b.data.path() + "/korvane/VEGG");
  WriteFile(b.data.path() + "/korvane/VEGG/GHelper.ini",
            std::string("[Account ") + kUser + "]\nBackend=google\n" +
                b.standin.IniSection(b.tokens.folder()));
  using Clock = std::chrono::steady_clock;
  auto timed = [&](const char* name, std::size_t records, bool calendar, auto&& run) {
    Phase p{name, records, 0, b.standin.Stats(), {}};
    auto t0 = Clock::now();
    bool ok = run();
    p.seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    p.after = b.standin.Stats();
    Report(p, calendar);
    return ok;
  };

  std::vector<GoogleContact> cs(contacts);
  for (std::size_t i = 0; i < contacts; ++i) {
    GoogleContact& c = cs[i];
    c.ChangeState = 2;
    c.Action = 1;
    c.FirstName = "First" + std::to_string(i);
    c.LastName = "Last" + std::to_string(i % 997);
    c.CompanyName = "Company " + std::to_string(i % 131);
    c.EmailType[0] = kGEmailWork;
    c.Email[0] = "person" + std::to_string(i) + "@example.com";
    c.PhoneType = {kGPhoneWork, kGPhoneMobile, 0, 0, 0, 0, 0, 0, 0, 0};
    c.Phone[0] = "+1 555 01" + std::to_string(i % 100);
    c.Phone[1] = "+1 555 02" + std::to_string(i % 100);
    c.AddressType[0] = kGAddrWork;
    c.Street[0] = std::to_string(i) + " Main Street";
    c.City[0] = "Springfield";
    c.Note = "Imported contact number " + std::to_string(i);
    c.Groups = i % 3 ? "Customers" : "Suppliers";
  }
  if (!timed("sign-in and empty load", 0, false, [&] { return b.Run("GAddrUtil", "GAddr", 1); }))
    return 1;
  b.Write("GAddr", cs, WriteGoogleContact);
  if (!timed("contacts added", contacts, false, [&] { return b.Run("GAddrUtil", "GAddr", 2); }))
    return 1;
  std::vector<GoogleContact> loaded;
  if (!timed("contacts loaded", contacts, false, [&] {
        bool ok = b.Run("GAddrUtil", "GAddr", 1);
        loaded = b.Read<GoogleContact>("GAddr", ReadGoogleContact);
        return ok && loaded.size() == contacts;
      }))
    return 1;
  for (GoogleContact& c : loaded) {
    c.ChangeState = 2;
    c.Action = 2;
    c.JobTitle = "Buyer";
  }
  b.Write("GAddr", loaded, WriteGoogleContact);
  if (!timed("contacts updated", contacts, false, [&] { return b.Run("GAddrUtil", "GAddr", 2); }))
    return 1;

  std::vector<GoogleEvent> es(events);
  for (std::size_t i = 0; i < events; ++i) {
    GoogleEvent& e = es[i];
    e.ChangeState = 2;
    e.Action = 1;
    e.Title = "Meeting " + std::to_string(i);
    e.Where = "Room " + std::to_string(i % 40);
    e.Start = OleDate(44000.0 + static_cast<double>(i / 4) + 0.375);
    e.End = OleDate(44000.0 + static_cast<double>(i / 4) + 0.4375);
    e.ReminderCount = 1;
    e.ReminderMethod[0] = 1;
    e.ReminderAmount[0] = 15;
    if (i % 10 == 0) {
      e.RecurType = kRecurWeekly;
      e.Interval = 1;
      e.DayOfWeekMask = 2;
    }
  }
  b.Write("GDate", es, WriteGoogleEvent);
  if (!timed("events added", events, true, [&] { return b.Run("GDateUtil", "GDate", 2); }))
    return 1;
  if (!timed("events loaded", events, true, [&] {
        bool ok = b.Run("GDateUtil", "GDate", 1);
        return ok && b.Read<GoogleEvent>("GDate", ReadGoogleEvent).size() == events;
      }))
    return 1;
  json s = b.standin.Stats();
  std::printf("stand-in holds %d contacts, %d events; largest batch %d; %d requests in all\n",
              s["people"].get<int>(), s["events"].get<int>(), s["max_batch"].get<int>(),
              s["requests"].get<int>());
  return 0;
}
