#include "gapi/GApiBackend.h"

namespace {

class GApiContacts : public RecordBackend<GoogleContact> {
 public:
  explicit GApiContacts(GApiAccount& account) : account_(account) {}
  bool LoadAll(std::vector<LoadedRecord<GoogleContact>>& out, std::string& error) override {
    return account_.LoadContacts(out, error);
  }
  void Add(std::span<RecordChange<GoogleContact>> batch, SubmitProgress& progress) override {
    account_.AddContacts(batch, progress);
  }
  void Update(std::span<RecordChange<GoogleContact>> batch, SubmitProgress& progress) override {
    account_.UpdateContacts(batch, progress);
  }

 private:
  GApiAccount& account_;
};

class GApiEvents : public RecordBackend<GoogleEvent> {
 public:
  explicit GApiEvents(GApiAccount& account) : account_(account) {}
  bool LoadAll(std::vector<LoadedRecord<GoogleEvent>>& out, std::string& error) override {
    return account_.LoadEvents(out, error);
  }
  void Add(std::span<RecordChange<GoogleEvent>> batch, SubmitProgress& progress) override {
    account_.AddEvents(batch, progress);
  }
  void Update(std::span<RecordChange<GoogleEvent>> batch, SubmitProgress& progress) override {
    account_.UpdateEvents(batch, progress);
  }

 private:
  GApiAccount& account_;
};

}  // namespace

GApiBackend::GApiBackend(BackendHost* host, GApiSettings settings) : account_(std::move(settings)) {
  Serve(host);
}

void GApiBackend::Serve(BackendHost* host) {
  if (!host) return;
  account_.SetStatus([host](const std::string& line) { host->Status(line); });
  account_.SetStop([host] { return host->StopRequested(); });
  account_.SetProgress([host](const char* verb, const char* noun, std::size_t i, std::size_t n) {
    host->Progress(verb, noun, i, n);
  });
}

bool GApiBackend::Open(const std::string& email, const std::string&, std::string& error) {
  return account_.Open(email, error);
}

std::unique_ptr<RecordBackend<GoogleContact>> GApiBackend::Contacts(BackendHost& host) {
  Serve(&host);
  return std::make_unique<GApiContacts>(account_);
}

std::unique_ptr<RecordBackend<GoogleEvent>> GApiBackend::Events(BackendHost& host) {
  Serve(&host);
  return std::make_unique<GApiEvents>(account_);
}

bool GApiBackend::Calendar(GoogleCalendar& calendar, std::string& error) {
  return account_.LoadCalendar(calendar, error);
}
