#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "AccountBackend.h"
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
  // Asked while waiting; the run's time limit stops it too, with a warning.
  void SetStop(std::function<bool()> stop);
  void SetWarning(std::function<void(const std::string&)> warn) { warn_ = std::move(warn); }
  void SetProgress(Progress progress) { progress_ = std::move(progress); }

  // Signs in as `email` (silently when a refresh token is kept). False with a text for the user.
  bool Open(const std::string& email, std::string& error);
  std::string SettingsProblem() const { return auth_.SettingsProblem(); }

  // Loads give each record its ref: the resource name or event id, and the etag. Adds and
  // updates mark each change done (with its new ref) or give it an error text; one failure
  // never stops the others, and a stop leaves the unanswered ones neither done nor failed.
  bool LoadContacts(std::vector<LoadedRecord<GoogleContact>>& out, std::string& error);
  void AddContacts(std::span<RecordChange<GoogleContact>> batch, SubmitProgress& progress);
  void UpdateContacts(std::span<RecordChange<GoogleContact>> batch, SubmitProgress& progress);

  // The primary calendar: its name, id and time zone.
  bool LoadCalendar(GoogleCalendar& calendar, std::string& error);
  bool LoadEvents(std::vector<LoadedRecord<GoogleEvent>>& out, std::string& error);
  void AddEvents(std::span<RecordChange<GoogleEvent>> batch, SubmitProgress& progress);
  void UpdateEvents(std::span<RecordChange<GoogleEvent>> batch, SubmitProgress& progress);

  // The iCalendar UID an added event is imported with: the same event content gives the same
  // UID, so a submit run again updates the events it added instead of adding them twice.
  static std::string ImportUid(const GoogleEvent& event);

  GHttpClient& Http() { return http_; }

 private:
  bool LoadGroups(std::string& error);
  bool EnsureGroups(std::span<RecordChange<GoogleContact>> batch);
  // Up to 200 updates: read, merged, written. False when stopped.
  bool UpdateSomeContacts(std::span<RecordChange<GoogleContact>> batch, SubmitProgress& progress);
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
  std::function<void(const std::string&)> warn_;
  std::chrono::steady_clock::time_point deadline_;
  bool timeUp_ = false;
  GPersonGroups groups_;
  bool groupsLoaded_ = false;
  std::string tzid_;
};
