// A stand-in helper program for the bridge tests. It meets the helper contract: one argument,
// the parameter file; it writes the status, error and data files and keeps "Running" = 1 in the
// data ini file while it works. What else it does is set by the switch file "FakeHelper.ini" in
// its working folder, section [Fake]:
//   ExitNow=1          end at once, touching nothing (after the trace line)
//   Crash=1            abort after marking itself running
//   ExitCode=n         the exit code
//   StatusLines=n      write n status lines ("Status line 1" ...), StatusDelayMs apart
//   StatusFrom=name    copy that file of the working folder as the status file
//   SleepMs=n          work that long, watching for "Stop" = 1 every 10 ms
//   IgnoreStop=1       never stop early
//   Errors=n           write an error file with n errors ("Fake error 1" ...)
//   ErrorFileFrom=name copy that file as the error file
//   DataFrom=name      on a load, copy that file as the data file
//   SaveSubmitted=name on a submit, copy the data file to that name
//   DataIni=name       the data ini file; the data file's stem + "Data.ini" by default
//   SaveParams=name    copy the parameter file to that name
// Every run appends "pid=<pid> argc=<n> op=<op> cwd=<dir> arg=<argument>" to FakeHelperTrace.txt.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <thread>

#include "misc/CxFile.h"
#include "platform/AtomicFile.h"
#include "platform/IniDocument.h"

namespace {

std::map<int, std::string> ReadParams(const std::string& path) {
  std::map<int, std::string> params;
  CxFile f;
  std::int32_t count = 0;
  if (!f.Open(path, "rb") || !f.ReadInt32(count)) return params;
  for (std::int32_t i = 0; i < count; ++i) {
    std::int32_t key = 0, type = 0;
    if (!f.ReadInt32(key) || !f.ReadInt32(type)) break;
    if (type == 8) {
      std::string text;
      if (!f.ReadText(text, 1023)) break;
      params[key] = text;
    } else {
      std::int32_t v = 0;
      if (!f.ReadInt32(v)) break;
      params[key] = std::to_string(v);
    }
  }
  return params;
}

std::string FolderOf(const std::string& path) {
  auto slash = path.rfind('/');
  return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

bool Copy(const std::string& from, const std::string& to) {
  std::string content;
  return platform::ReadWholeFile(from, content) && platform::WriteFileAtomically(to, content, 0600);
}

void SetIni(const std::string& path, const char* section, const char* key, const char* value) {
  platform::IniDocument doc;
  doc.Load(path);
  doc.Set(section, key, value);
  doc.Save(path);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string paramPath = argv[1];
  auto params = ReadParams(paramPath);
  std::string folder = params.count(1003) ? params[1003] : FolderOf(paramPath);
  if (folder.empty()) folder = FolderOf(paramPath);
  const std::string dataFile = params[1002];
  const std::string op = params[1005];

  platform::IniDocument switches;
  switches.Load(folder + "FakeHelper.ini");
  auto sw = [&](const char* key) { return switches.Get("Fake", key).value_or(""); };
  auto swInt = [&](const char* key) { return std::atoi(sw(key).c_str()); };

  {
    char cwd[4096] = "";
    if (!::getcwd(cwd, sizeof cwd)) cwd[0] = '\0';
    std::ofstream trace(folder + "FakeHelperTrace.txt", std::ios::app);
    trace << "pid=" << ::getpid() << " argc=" << argc << " op=" << op << " cwd=" << cwd
          << " arg=" << paramPath << "\n";
  }
  if (!sw("SaveParams").empty()) Copy(paramPath, folder + sw("SaveParams"));
  const int exitCode = swInt("ExitCode");
  if (swInt("ExitNow")) return exitCode;

  std::string dataIni = sw("DataIni");
  if (dataIni.empty()) {
    auto dot = dataFile.rfind('.');
    dataIni = (dot == std::string::npos ? dataFile : dataFile.substr(0, dot)) + "Data.ini";
  }
  const std::string dataIniPath = folder + dataIni;
  SetIni(dataIniPath, "Status", "Running", "1");
  if (swInt("Crash")) std::abort();

  const std::string statusPath = folder + params[1010];
  if (!sw("StatusFrom").empty()) Copy(folder + sw("StatusFrom"), statusPath);
  for (int i = 1; i <= swInt("StatusLines"); ++i) {
    platform::WriteFileAtomically(statusPath, "Status line " + std::to_string(i) + "\r\n", 0600);
    std::this_thread::sleep_for(std::chrono::milliseconds(swInt("StatusDelayMs")));
  }

  const bool ignoreStop = swInt("IgnoreStop") != 0;
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(swInt("SleepMs"));
  while (std::chrono::steady_clock::now() < until) {
    platform::IniDocument ini;
    ini.Load(dataIniPath);
    if (!ignoreStop && ini.Get("Status", "Stop").value_or("") == "1") {
      std::ofstream(folder + "FakeHelperStopped.txt") << "stopped\n";
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }

  const std::string errorPath = folder + params[1009];
  if (!sw("ErrorFileFrom").empty()) Copy(folder + sw("ErrorFileFrom"), errorPath);
  if (int n = swInt("Errors"); n > 0) {
    platform::IniDocument err;
    err.Set("Error", "Error.Count", std::to_string(n));
    for (int i = 1; i <= n; ++i)
      err.Set("Error", "Error." + std::to_string(i), "Fake error " + std::to_string(i));
    err.Save(errorPath);
  }

  if (op == "1" && !sw("DataFrom").empty()) Copy(folder + sw("DataFrom"), folder + dataFile);
  if (op == "2" && !sw("SaveSubmitted").empty())
    Copy(folder + dataFile, folder + sw("SaveSubmitted"));

  SetIni(dataIniPath, "Status", "Running", "0");
  return exitCode;
}
