// Load and submit through the real Google helpers and a local account, timed end to end:
//   qm_bench_google [COUNT]
// Makes a fresh account under a temporary data home, submits COUNT generated contacts and COUNT
// events (one helper run each), then loads them back (one helper run each).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "google/CxGAddrUtil.h"
#include "google/CxGDateUtil.h"
#include "json/RecordGen.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

template <class Connector>
void Setup(Connector& c, const std::string& work) {
  c.SetUser("bench@example.com");
  c.SetPassword("bench-password");
  c.SetFolder(work);
}

template <class Connector, class Records>
bool Run(const char* what, const std::string& work, const Records& records) {
  Connector submit;
  Setup(submit, work);
  if (!submit.Load()) {
    std::fprintf(stderr, "%s: first load failed\n", what);
    return false;
  }
  for (const auto& r : records) submit.AddOrUpdate(&r, false);
  std::uint32_t staged = submit.Records().Count();
  auto t0 = Clock::now();
  bool ok = submit.Submit() && !submit.HasError();
  double submitSeconds = Seconds(t0);
  Connector load;
  Setup(load, work);
  t0 = Clock::now();
  ok = ok && load.Load();
  double loadSeconds = Seconds(t0);
  std::printf("%s: submit %u in %.2f s, load %u in %.2f s%s\n", what, staged, submitSeconds,
              load.Records().Count(), loadSeconds, ok ? "" : " (FAILED)");
  return ok && load.Records().Count() == staged;
}

}  // namespace

int main(int argc, char** argv) {
  std::size_t count = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 25000;
  auto root = std::filesystem::temp_directory_path() / ("qm-bench-" + std::to_string(::getpid()));
  std::filesystem::create_directories(root / "work");
  setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
  std::string work = (root / "work").string() + "/";
  auto contacts = GenerateContacts(count, {1, 1, count});
  auto events = GenerateEvents(count, {2, 2, count});
  // One key per record, so every one is a new record of its own.
  for (std::size_t i = 0; i < count; ++i) {
    contacts[i].FirstName = "Bench " + std::to_string(i);
    events[i].Subject = "Bench event " + std::to_string(i);
  }
  bool ok =
      Run<CxGAddrUtil>("contacts", work, contacts) && Run<CxGDateUtil>("events", work, events);
  std::error_code ec;
  std::filesystem::remove_all(root, ec);
  return ok ? 0 : 1;
}
