#pragma once

#include <memory>
#include <string>

#include "AccountBackend.h"
#include "gapi/GApiAccount.h"

// A Google account through Google's own APIs, as the helpers' back end: contacts and events;
// no tasks or notes. The consent page in the browser takes the place of the password, which
// is not used.
//
// Signing in may mean waiting minutes for the person in the browser, with the status line
// saying so and "Stop" heeded: it happens on first use, once a run has named its host (the
// session) through Contacts() or Events(). Open only checks the settings.
class GApiBackend : public AccountBackend {
 public:
  explicit GApiBackend(GApiSettings settings = GApiSettings::Load());

  bool Open(const std::string& email, const std::string& password, std::string& error) override;
  std::unique_ptr<RecordBackend<GoogleContact>> Contacts(BackendHost& host) override;
  std::unique_ptr<RecordBackend<GoogleEvent>> Events(BackendHost& host) override;
  std::unique_ptr<RecordBackend<GoogleTask>> Tasks(BackendHost&) override { return nullptr; }
  std::unique_ptr<RecordBackend<GoogleNote>> Notes(BackendHost&) override { return nullptr; }
  bool Calendar(GoogleCalendar& calendar, std::string& error) override;

  // Signs in unless done; false with the reason for the person.
  bool SignIn(std::string& error);
  GApiAccount& Account() { return account_; }

 private:
  void Serve(BackendHost& host);

  GApiAccount account_;
  std::string email_;
  bool signedIn_ = false;
  std::string signInError_;  // a failed sign-in is not tried again within the run
};
