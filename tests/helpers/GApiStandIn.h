#pragma once

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>

#include "AccountBackend.h"
#include "TestUtil.h"
#include "gapi/GApiHttp.h"
#include "gapi/GApiSettings.h"

// The local stand-in of Google's OAuth, People and Calendar endpoints (gapi_standin.py),
// started for one test and stopped after it.
class GApiStandIn {
 public:
  static std::string Script(const char* name) {
    return std::string(QM_TEST_DATA_DIR) + "/../helpers/" + name;
  }

  GApiStandIn() {
    const std::string portFile = dir_.file("port");
    std::string script = Script("gapi_standin.py");
    char* argv[] = {const_cast<char*>("python3"), script.data(),
                    const_cast<char*>(portFile.c_str()), nullptr};
    if (posix_spawnp(&pid_, "python3", nullptr, nullptr, argv, environ) != 0) pid_ = -1;
    for (int i = 0; i < 200 && pid_ > 0 && port_.empty(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(25));
      port_ = ReadFile(portFile);
    }
  }
  ~GApiStandIn() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  GApiStandIn(const GApiStandIn&) = delete;
  GApiStandIn& operator=(const GApiStandIn&) = delete;

  bool Up() const { return !port_.empty(); }
  std::string Base() const { return "http://127.0.0.1:" + port_; }

  // Settings that point every endpoint here, keep tokens in `tokenFolder` and open the
  // consent page with the test browser; no pacing and short back-offs.
  GApiSettings Settings(const std::string& tokenFolder) const {
    GApiSettings s;
    s.clientId = "test-client.apps.example";
    s.clientSecret = "test-secret";
    s.authUrl = Base() + "/auth";
    s.tokenUrl = Base() + "/token";
    s.userInfoUrl = Base() + "/userinfo";
    s.peopleUrl = Base() + "/v1/";
    s.calendarUrl = Base() + "/calendar/v3/";
    s.browser = "python3 " + Script("gapi_browser.py");
    s.tokenFolder = tokenFolder;
    s.consentTimeoutSec = 30;
    s.retryBaseMs = 5;
    s.maxRetryWaitSec = 1;
    s.calendarWritesPerMinute = 0;
    s.peopleWritesPerMinute = 0;
    return s;
  }

  // The [Google] section of GHelper.ini with the same settings.
  std::string IniSection(const std::string& tokenFolder) const {
    GApiSettings s = Settings(tokenFolder);
    return "[Google]\nClientId=" + s.clientId + "\nClientSecret=" + s.clientSecret +
           "\nAuthUrl=" + s.authUrl + "\nTokenUrl=" + s.tokenUrl +
           "\nUserInfoUrl=" + s.userInfoUrl + "\nPeopleUrl=" + s.peopleUrl +
           "\nCalendarUrl=" + s.calendarUrl + "\nBrowser=" + s.browser +
           "\nTokenFolder=" + tokenFolder +
           "\nRetryBaseMs=5\nMaxRetryWaitSec=1\nCalendarWritesPerMinute=0\n"
           "PeopleWritesPerMinute=0\n";
  }

  nlohmann::json Call(const std::string& method, const std::string& path,
                      const nlohmann::json& body = nlohmann::json::object()) {
    GHttpRequest r;
    r.method = method;
    r.url = Base() + path;
    r.authorized = false;
    if (method != "GET") {
      r.body = body.dump();
      r.contentType = "application/json";
    }
    GHttpResponse a = http_.Send(r);
    return nlohmann::json::parse(a.body, nullptr, false);
  }
  nlohmann::json Control(const nlohmann::json& settings) {
    return Call("POST", "/_control", settings);
  }
  nlohmann::json Stats() { return Call("GET", "/_stats"); }
  nlohmann::json Dump() { return Call("GET", "/_dump"); }

 private:
  TempDir dir_;
  pid_t pid_ = -1;
  std::string port_;
  GApiSettings controlSettings_;
  GHttpClient http_{controlSettings_};
};

// A host that takes the status lines and warnings, for back ends driven without a session.
struct RecordingHost : BackendHost {
  std::vector<std::string> statuses, warnings;
  bool stop = false;
  bool StopRequested() override { return stop; }
  void Status(const std::string& line) override { statuses.push_back(line); }
  void Progress(const char*, const char*, std::size_t, std::size_t) override {}
  void Warning(const std::string& text) override { warnings.push_back(text); }
};
