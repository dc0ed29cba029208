#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "gapi/GApiAuth.h"
#include "gapi/GApiHttp.h"
#include "gapi/GApiSettings.h"
#include "gapi/GPersonJson.h"
#include "google/GoogleContact.h"
#include "google/GoogleEvent.h"

// A Google account through its own REST APIs: contacts and their groups through the People API,
// the primary calendar through the Calendar API. Records find their way back through their
// pass-through text (resource name or event id, and the etag they were loaded with), so an
// update of something changed in Google since the load is refused, not overwritten. Nothing is
// ever deleted, and a field is only written when the record has a value for it.
class GApiAccount {
 public:
  using Progress =
      std::function<void(const char* verb, const char* noun, std::size_t i, std::size_t n)>;

  explicit GApiAccount(GApiSettings settings);

  void SetStatus(std::function<void(const std::string&)> status);
  void SetStop(std::function<bool()> stop);
  void SetProgress(Progress progress) { progress_ = std::move(progress); }

  // Signs in as `email` (silently when a refresh token is kept). False with a text for the user.
  bool Open(const std::string& email, std::string& error);

  bool LoadContacts(std::vector<GoogleContact>& out, std::string& error);
  // Each returns one text per record, "" when it went through. Added and updated records get
  // their new pass-through text.
  std::vector<std::string> AddContacts(std::vector<GoogleContact*> records);
  std::vector<std::string> UpdateContacts(std::vector<GoogleContact*> records);

  // The primary calendar: its name, id and time zone.
  bool LoadCalendar(GoogleCalendar& calendar, std::string& error);
  bool LoadEvents(std::vector<GoogleEvent>& out, std::string& error);
  std::vector<std::string> AddEvents(std::vector<GoogleEvent*> records);
  std::vector<std::string> UpdateEvents(std::vector<GoogleEvent*> records);

  // The iCalendar UID an added event is imported with: the same event content gives the same
  // UID, so a submit run again updates the events it added instead of adding them twice.
  static std::string ImportUid(const GoogleEvent& event);

  GHttpClient& Http() { return http_; }

 private:
  bool LoadGroups(std::string& error);
  bool EnsureGroups(const std::vector<GoogleContact*>& records, std::vector<std::string>& errors);
  // Sends requests one after another at the People API's write pace.
  std::vector<GHttpResponse> PeopleWrites(const std::vector<GHttpRequest>& requests);
  void Tell(const char* verb, const char* noun, std::size_t i, std::size_t n) const {
    if (progress_) progress_(verb, noun, i, n);
  }

  GApiSettings settings_;
  GHttpClient http_;
  GApiAuth auth_;
  Progress progress_;
  std::function<bool()> stop_;
  GPersonGroups groups_;
  bool groupsLoaded_ = false;
  std::string tzid_;
};

// A record's place in the account, kept in its pass-through text.
struct GApiIdentity {
  std::string id;    // "people/c123" or an event id
  std::string etag;  // as loaded
  std::string rule;  // an event's RRULE line as loaded

  std::string Format() const;
  static GApiIdentity Parse(std::string_view text);
};
