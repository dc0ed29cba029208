#pragma once

#include <string>

// The settings of the Google back end: section [Google] of "GHelper.ini" beside the helpers or,
// next, in the data folder (a key beside the helpers wins). Every endpoint can be pointed
// elsewhere, so that tests run against a local stand-in.
struct GApiSettings {
  static constexpr const char* kSection = "Google";

  std::string clientId;
  std::string clientSecret;  // installed applications may have one; never logged
  std::string authUrl = "https://accounts.google.com/o/oauth2/v2/auth";
  std::string tokenUrl = "https://oauth2.googleapis.com/token";
  std::string userInfoUrl = "https://openidconnect.googleapis.com/v1/userinfo";
  std::string peopleUrl = "https://people.googleapis.com/v1/";
  std::string calendarUrl = "https://www.googleapis.com/calendar/v3/";
  // The program that opens the consent page; the page's address is added as its last argument.
  std::string browser = "xdg-open";
  std::string tokenFolder;  // where refresh tokens are kept; with a separator
  int consentTimeoutSec = 600;
  int maxAttempts = 6;     // tries of one request before it counts as failed
  int retryBaseMs = 1000;  // first back-off; doubles on each retry
  int maxRetryWaitSec = 60;
  int parallel = 8;  // calendar requests in flight
  // Writes per minute the helper allows itself; 0 = as fast as the server answers.
  int calendarWritesPerMinute = 540;
  int peopleWritesPerMinute = 80;
  // A run sends nothing new after this long, so that it ends by itself inside the program's
  // 30 minutes even when Google slows it down; what is left is saved by the next run.
  int runLimitSec = 1620;

  // Reads the settings files; missing keys keep the defaults above.
  static GApiSettings Load();
};
