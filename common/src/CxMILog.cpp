#include "src/CxMILog.h"

#include "misc/CxDateTime.h"
#include "misc/Utf8.h"
#include "src/AppSettings.h"

CxMILog::CxMILog() : file_(std::make_unique<CxFile>()) {
  std::string folder;
  GetAppDataFolder(folder);  // on failure the folder stays empty: the current folder
  path_ = std::string(Utf8Prefix(folder + "MILog.txt", 259));
}

CxMILog::CxMILog(std::string path) : file_(std::make_unique<CxFile>()), path_(std::move(path)) {}

bool CxMILog::Open() {
  Close();
  open_ = file_ && file_->Open(path_, "wb");
  return open_;
}

void CxMILog::Close() {
  open_ = false;
  if (file_) file_->Close();
}

void CxMILog::WriteLine(std::string_view text) {
  if (open_) file_->WriteLine(text);
}

void CxMILog::WriteField(std::string_view label, std::string_view value) {
  std::string line = "\t";
  line += label;
  line += ": ";
  line += value.empty() ? std::string_view("<empty>") : value;
  WriteLine(line);
}

void CxMILog::LogContact(const CommonContact* c) {
  if (!c || !file_ || !open_) return;
  WriteLine("Migrating Contact item:");
  WriteField("Display Name", c->DisplayName.view());
  WriteField("Company", c->Company.view());
  WriteField("Title", c->JobTitle.view());
  WriteField("Email", c->Email1.view());
  WriteField("Primary Phone", c->PrimaryPhone.view());
  WriteLine("Contact item migrated successfully...\r\n");
}

void CxMILog::LogEvent(const CommonEvent* e) {
  if (!e || !file_ || !open_) return;
  WriteLine("Migrating Calendar item:");
  WriteField("Subject", e->Subject.view());
  WriteField("Location", e->Location.view());
  WriteField("Date", CxDateTime::DateText(e->Start));
  WriteField("Start Time", CxDateTime::TimeText(e->Start));
  WriteField("End Time", CxDateTime::TimeText(e->End));
  WriteLine("Calendar item migrated successfully...\r\n");
}

void CxMILog::LogTask(const char* subject) {
  if (!subject || !file_ || !open_) return;
  WriteLine("Migrating Task item:");
  WriteField("Subject", subject);
  WriteLine("Task item migrated successfully...\r\n");
}

void CxMILog::LogNote(const CommonNote* n) {
  if (!n || !file_ || !open_) return;
  WriteLine("Migrating Note item:");
  WriteField("Brief Note", BriefNote(n->Body.view()));
  WriteLine("Note item migrated successfully...\r\n");
}

std::string CxMILog::BriefNote(std::string_view body) {
  std::size_t end = body.find("\r\n");
  if (end == std::string_view::npos) end = body.find('\n');
  return std::string(Utf8Prefix(body.substr(0, end), 255));
}
