#pragma once

#include <memory>
#include <string>

#include "AccountBackend.h"
#include "gapi/GApiAccount.h"

// A Google account through Google's own APIs, as the helpers' back end: contacts and events;
// no tasks or notes. The consent page in the browser takes the place of the password, which
// is not used. `host` (may be null) hears the sign-in's status line and is asked about "Stop".
class GApiBackend : public AccountBackend {
 public:
  explicit GApiBackend(BackendHost* host, GApiSettings settings = GApiSettings::Load());

  bool Open(const std::string& email, const std::string& password, std::string& error) override;
  std::unique_ptr<RecordBackend<GoogleContact>> Contacts(BackendHost& host) override;
  std::unique_ptr<RecordBackend<GoogleEvent>> Events(BackendHost& host) override;
  std::unique_ptr<RecordBackend<GoogleTask>> Tasks(BackendHost&) override { return nullptr; }
  std::unique_ptr<RecordBackend<GoogleNote>> Notes(BackendHost&) override { return nullptr; }
  bool Calendar(GoogleCalendar& calendar, std::string& error) override;

  GApiAccount& Account() { return account_; }

 private:
  void Serve(BackendHost* host);

  GApiAccount account_;
};
