#include "gapi/GApiSettings.h"

#include "misc/CxFile.h"
#include "misc/CxIniUtil.h"
#include "platform/IniDocument.h"
#include "platform/PlatformPaths.h"

namespace {

std::string DataFolder() {
  std::string base = platform::DataHome();
  return base.empty() ? std::string() : base + "/korvane/VEGG/";
}

std::string WithSeparator(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

}  // namespace

GApiSettings GApiSettings::Load() {
  GApiSettings s;
  bool tokenFolderSet = false;
  std::vector<platform::IniDocument> docs;
  for (const std::string& folder : {platform::ExecutableFolder(), DataFolder()}) {
    if (folder.empty()) continue;
    std::string path = folder + "GHelper.ini";
    platform::IniDocument doc;
    if (CxFile::FileSize(path) >= 0 && doc.Load(path)) docs.push_back(std::move(doc));
  }
  auto text = [&](const char* key, std::string& out) {
    for (const platform::IniDocument& doc : docs)
      if (auto v = doc.Get(kSection, key); v && !v->empty()) {
        out = *v;
        return true;
      }
    return false;
  };
  auto number = [&](const char* key, int& out, int low, int high) {
    std::string v;
    if (!text(key, v)) return;
    int n = CxIniUtil::ParseLeadingInt(v);
    out = n < low ? low : n > high ? high : n;
  };
  text("ClientId", s.clientId);
  text("ClientSecret", s.clientSecret);
  text("AuthUrl", s.authUrl);
  text("TokenUrl", s.tokenUrl);
  text("UserInfoUrl", s.userInfoUrl);
  text("PeopleUrl", s.peopleUrl);
  text("CalendarUrl", s.calendarUrl);
  text("Browser", s.browser);
  tokenFolderSet = text("TokenFolder", s.tokenFolder);
  number("ConsentTimeoutSec", s.consentTimeoutSec, 1, 1500);
  number("MaxAttempts", s.maxAttempts, 1, 20);
  number("RetryBaseMs", s.retryBaseMs, 0, 60000);
  number("MaxRetryWaitSec", s.maxRetryWaitSec, 0, 600);
  number("Parallel", s.parallel, 1, 32);
  number("CalendarWritesPerMinute", s.calendarWritesPerMinute, 0, 100000);
  number("PeopleWritesPerMinute", s.peopleWritesPerMinute, 0, 100000);
  number("RunLimitSec", s.runLimitSec, 1, 86400);
  s.peopleUrl = WithSeparator(s.peopleUrl);
  s.calendarUrl = WithSeparator(s.calendarUrl);
  s.tokenFolder = tokenFolderSet         ? WithSeparator(s.tokenFolder)
                  : DataFolder().empty() ? std::string()
                                         : DataFolder() + "google/";
  return s;
}
