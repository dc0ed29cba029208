#include "gapi/GApiBackend.h"

#include "LocalAccount.h"

namespace {

// The change of a batch that a failed sign-in stops: each carries the reason, as each would
// have failed on its own.
template <class Record>
void FailAll(std::span<RecordChange<Record>> batch, const std::string& why) {
  for (RecordChange<Record>& c : batch) {
    c.done = false;
    c.error = why;
  }
}

class GApiContacts : public RecordBackend<GoogleContact> {
 public:
  explicit GApiContacts(GApiBackend& backend) : backend_(backend) {}
  bool LoadAll(std::vector<LoadedRecord<GoogleContact>>& out, std::string& error) override {
    return backend_.SignIn(error) && backend_.Account().LoadContacts(out, error);
  }
  void Add(std::span<RecordChange<GoogleContact>> batch, SubmitProgress& progress) override {
    std::string why;
    if (!backend_.SignIn(why)) return FailAll(batch, why);
    backend_.Account().AddContacts(batch, progress);
  }
  void Update(std::span<RecordChange<GoogleContact>> batch, SubmitProgress& progress) override {
    std::string why;
    if (!backend_.SignIn(why)) return FailAll(batch, why);
    backend_.Account().UpdateContacts(batch, progress);
  }

 private:
  GApiBackend& backend_;
};

class GApiEvents : public RecordBackend<GoogleEvent> {
 public:
  explicit GApiEvents(GApiBackend& backend) : backend_(backend) {}
  bool LoadAll(std::vector<LoadedRecord<GoogleEvent>>& out, std::string& error) override {
    return backend_.SignIn(error) && backend_.Account().LoadEvents(out, error);
  }
  void Add(std::span<RecordChange<GoogleEvent>> batch, SubmitProgress& progress) override {
    std::string why;
    if (!backend_.SignIn(why)) return FailAll(batch, why);
    backend_.Account().AddEvents(batch, progress);
  }
  void Update(std::span<RecordChange<GoogleEvent>> batch, SubmitProgress& progress) override {
    std::string why;
    if (!backend_.SignIn(why)) return FailAll(batch, why);
    backend_.Account().UpdateEvents(batch, progress);
  }

 private:
  GApiBackend& backend_;
};

}  // namespace

GApiBackend::GApiBackend(GApiSettings settings) : account_(std::move(settings)) {}

void GApiBackend::Serve(BackendHost& host) {
  BackendHost* h = &host;
  account_.SetStatus([h](const std::string& line) { h->Status(line); });
  account_.SetStop([h] { return h->StopRequested(); });
  account_.SetWarning([h](const std::string& text) { h->Warning(text); });
  account_.SetProgress([h](const char* verb, const char* noun, std::size_t i, std::size_t n) {
    h->Progress(verb, noun, i, n);
  });
}

bool GApiBackend::Open(const std::string& email, const std::string&, std::string& error) {
  email_ = email;
  // The address names the file its refresh token is kept in.
  error = LocalAccount::EmailProblem(email);
  if (error.empty()) error = account_.SettingsProblem();
  return error.empty();
}

bool GApiBackend::SignIn(std::string& error) {
  if (signedIn_) return true;
  if (signInError_.empty()) {
    signedIn_ = account_.Open(email_, signInError_);
    if (!signedIn_ && signInError_.empty()) signInError_ = "The sign-in to Google failed.";
  }
  error = signInError_;
  return signedIn_;
}

std::unique_ptr<RecordBackend<GoogleContact>> GApiBackend::Contacts(BackendHost& host) {
  Serve(host);
  return std::make_unique<GApiContacts>(*this);
}

std::unique_ptr<RecordBackend<GoogleEvent>> GApiBackend::Events(BackendHost& host) {
  Serve(host);
  return std::make_unique<GApiEvents>(*this);
}

bool GApiBackend::Calendar(GoogleCalendar& calendar, std::string& error) {
  return SignIn(error) && account_.LoadCalendar(calendar, error);
}
