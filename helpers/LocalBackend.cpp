#include "LocalBackend.h"

bool LocalAccountBackend::Open(const std::string& email, const std::string& password,
                               std::string& error) {
  email_ = email;
  return account_.Open(root_, email, password, error);
}

std::unique_ptr<RecordBackend<GoogleContact>> LocalAccountBackend::Contacts(BackendHost& host) {
  return std::make_unique<LocalRecordBackend<ContactKind>>(host, account_);
}

std::unique_ptr<RecordBackend<GoogleEvent>> LocalAccountBackend::Events(BackendHost& host) {
  EventKind::Prepare(MachineTimeZone(), email_);
  return std::make_unique<LocalRecordBackend<EventKind>>(host, account_);
}

std::unique_ptr<RecordBackend<GoogleTask>> LocalAccountBackend::Tasks(BackendHost& host) {
  return std::make_unique<LocalRecordBackend<TaskKind>>(host, account_);
}

std::unique_ptr<RecordBackend<GoogleNote>> LocalAccountBackend::Notes(BackendHost& host) {
  return std::make_unique<LocalRecordBackend<NoteKind>>(host, account_);
}

bool LocalAccountBackend::Calendar(GoogleCalendar& calendar, std::string&) {
  calendar.Text1 = email_;
  calendar.Text2 = email_;
  calendar.Text3 = account_.Folder() + EventKind::kFolder + "/";
  calendar.TimeZoneId = MachineTimeZone();
  return true;
}
