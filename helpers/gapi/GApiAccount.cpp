#include "gapi/GApiAccount.h"

#include <openssl/sha.h>

#include <algorithm>
#include <map>
#include <set>

#include "ICalCard.h"
#include "gapi/GEventJson.h"
#include "misc/CxDebugUtil.h"

namespace {

using json = nlohmann::json;

// The People API takes at most 200 contacts per batch and 200 names per batchGet.
constexpr std::size_t kPeopleBatch = 200;
// Largest pages the APIs give: fewer requests for a large account.
constexpr int kPeoplePageSize = 1000;
constexpr int kEventsPageSize = 2500;
constexpr int kGroupsPageSize = 1000;
// A page token that comes back forever would loop; no account has this many pages.
constexpr int kMaxPages = 100000;

json Parse(const GHttpResponse& r) {
  return json::parse(r.body, nullptr, false);
}

std::string Str(const json& j, const char* key) {
  if (!j.is_object()) return {};
  auto it = j.find(key);
  return it != j.end() && it->is_string() ? it->get<std::string>() : std::string();
}

GHttpRequest JsonRequest(const std::string& method, const std::string& url, const json& body) {
  GHttpRequest r;
  r.method = method;
  r.url = url;
  r.body = body.dump(-1, ' ', false, json::error_handler_t::replace);
  r.contentType = "application/json; charset=utf-8";
  return r;
}

// Why an add failed; when the answer was lost, Google may hold the record all the same and
// only a new comparison tells (adding it again could make it twice).
std::string AddFailure(const GHttpResponse& a) {
  std::string why = GApiErrorText(a);
  if (a.Unknown())
    why += " (Google may have added it all the same: a new comparison shows whether it is there)";
  return why;
}

// The text of a per-record answer inside a batch ("status": {"code", "message"}).
std::string EntryError(const json& entry) {
  if (!entry.is_object()) return "no answer for the record";
  long code = entry.value("httpStatusCode", 200L);
  const json status = entry.value("status", json::object());
  int grpc = status.is_object() ? status.value("code", 0) : 0;
  if ((code >= 200 && code < 300) && grpc == 0) return {};
  std::string message = Str(status, "message");
  return "HTTP " + std::to_string(code) + (message.empty() ? "" : ": " + message);
}

bool Conflict(const GHttpResponse& r) {
  std::string reason = GApiErrorReason(r);
  return r.status == 409 || r.status == 412 ||
         (r.status == 400 && (reason == "FAILED_PRECONDITION" || reason == "failedPrecondition"));
}

constexpr const char* kChangedText =
    "it was changed in Google since it was loaded; load again to see the change";

bool Stopped(const GHttpResponse& r) {
  return r.status == 0 && r.error == "stopped";
}

std::string NameOf(const GoogleContact& c) {
  std::string name = c.DisplayName.str();
  if (name.empty()) name = (c.FirstName.str() + " " + c.LastName.str());
  if (name == " ") name = c.PrimaryEmail.str();
  return name.empty() || name == " " ? std::string("without a name") : "\"" + name + "\"";
}

std::string NameOf(const GoogleEvent& e) {
  return e.Title.empty() ? std::string("without a title") : "\"" + e.Title.str() + "\"";
}

// "The contact "Ann Smith" was not added to Google: HTTP 400: ..."
template <class Record>
void Fail(RecordChange<Record>& c, const char* noun, const char* what, const std::string& why) {
  c.done = false;
  c.error = std::string("The ") + noun + " " + NameOf(*c.record) + " was not " + what + ": " + why;
}

std::string RuleOf(const json& event) {
  for (const json& line : event.value("recurrence", json::array()))
    if (line.is_string() && line.get<std::string>().rfind("RRULE:", 0) == 0)
      return line.get<std::string>();
  return {};
}

bool IsExceptionLine(const std::string& line) {
  return line.rfind("EXDATE:", 0) == 0 || line.rfind("EXDATE;", 0) == 0;
}

// A recurrence list's EXDATE lines, in order.
std::vector<std::string> ExceptionLines(const json& recurrence) {
  std::vector<std::string> lines;
  if (!recurrence.is_array()) return lines;
  for (const json& line : recurrence)
    if (line.is_string() && IsExceptionLine(line.get<std::string>()))
      lines.push_back(line.get<std::string>());
  std::sort(lines.begin(), lines.end());
  return lines;
}

}  // namespace

GApiAccount::GApiAccount(GApiSettings settings)
    : settings_(std::move(settings)), http_(settings_), auth_(settings_, http_) {
  http_.SetReauthorize([this] {
    std::string why;
    bool ok = auth_.Refresh(why);
    if (!ok && !why.empty()) QM_LOG_ERROR("%s", why.c_str());
    return ok;
  });
  tzid_ = MachineTimeZone();
  deadline_ = std::chrono::steady_clock::now() + std::chrono::seconds(settings_.runLimitSec);
  SetStop({});
}

void GApiAccount::SetStatus(std::function<void(const std::string&)> status) {
  auth_.SetStatus(std::move(status));
}

void GApiAccount::SetStop(std::function<bool()> stop) {
  stop_ = [this, stop = std::move(stop)] {
    if (stop && stop()) return true;
    if (!timeUp_ && std::chrono::steady_clock::now() >= deadline_) {
      timeUp_ = true;
      std::string text = "Google answered too slowly to finish within " +
                         std::to_string(settings_.runLimitSec / 60) +
                         " minutes; what is left is saved when the migration runs again.";
      QM_LOG_ERROR("%s", text.c_str());
      if (warn_) warn_(text);
    }
    return timeUp_;
  };
  auth_.SetStop(stop_);
  http_.SetStop(stop_);
}

bool GApiAccount::Open(const std::string& email, std::string& error) {
  return auth_.Authorize(email, error);
}

bool GApiAccount::LoadGroups(std::string& error) {
  if (groupsLoaded_) return true;
  std::string token;
  for (int page = 0; page < kMaxPages; ++page) {
    GHttpRequest r;
    r.url = settings_.peopleUrl + "contactGroups?pageSize=" + std::to_string(kGroupsPageSize) +
            "&groupFields=name,groupType";
    if (!token.empty()) r.url += "&pageToken=" + GUrlEncode(token);
    GHttpResponse a = http_.Send(r);
    json j = Parse(a);
    if (!a.Ok() || !j.is_object()) {
      error = "The contact groups could not be loaded from Google: " + GApiErrorText(a);
      return false;
    }
    for (const json& g : j.value("contactGroups", json::array())) {
      if (Str(g, "groupType") != "USER_CONTACT_GROUP") continue;
      std::string name = Str(g, "name"), resource = Str(g, "resourceName");
      if (name.empty() || resource.empty()) continue;
      groups_.nameOf[resource] = name;
      groups_.resourceOf.emplace(name, resource);
    }
    token = Str(j, "nextPageToken");
    if (token.empty()) {
      groupsLoaded_ = true;
      return true;
    }
  }
  error = "Google gave more pages of contact groups than any account has.";
  return false;
}

bool GApiAccount::LoadContacts(std::vector<LoadedRecord<GoogleContact>>& out, std::string& error) {
  if (!LoadGroups(error)) return false;
  std::string token;
  std::size_t total = 0;
  for (int page = 0; page < kMaxPages; ++page) {
    GHttpRequest r;
    r.url = settings_.peopleUrl + "people/me/connections?personFields=" + kGPersonFields +
            "&pageSize=" + std::to_string(kPeoplePageSize);
    if (!token.empty()) r.url += "&pageToken=" + GUrlEncode(token);
    GHttpResponse a = http_.Send(r);
    json j = Parse(a);
    if (!a.Ok() || !j.is_object()) {
      error = Stopped(a) ? std::string()
                         : "The contacts could not be loaded from Google after " +
                               std::to_string(out.size()) + " contacts: " + GApiErrorText(a);
      return false;
    }
    if (j.contains("totalPeople") && j["totalPeople"].is_number_unsigned())
      total = j["totalPeople"].get<std::size_t>();
    for (const json& p : j.value("connections", json::array())) {
      LoadedRecord<GoogleContact> l;
      ContactOfPerson(p, l.record, groups_);
      l.ref = PassThrough{Str(p, "resourceName"), Str(p, "etag"), {}};
      out.push_back(std::move(l));
    }
    // Once a page: the last of a count writes the status file, and the events' count is
    // not known before the last page.
    Tell("Loading", "contact", out.size(), std::max(total, out.size()));
    token = Str(j, "nextPageToken");
    if (token.empty()) return true;
  }
  error = "Google gave more pages of contacts than any account has.";
  return false;
}

std::vector<GHttpResponse> GApiAccount::PeopleWrites(const std::vector<GHttpRequest>& requests) {
  // Writes of one user go one after another: the People API refuses concurrent mutations.
  return http_.SendAll(requests, 1, settings_.peopleWritesPerMinute);
}

bool GApiAccount::EnsureGroups(std::span<RecordChange<GoogleContact>> batch) {
  std::string why;
  if (!LoadGroups(why)) {
    for (auto& c : batch) Fail(c, "contact", "saved", why);
    return false;
  }
  std::set<std::string> missing;
  for (const auto& c : batch)
    for (const std::string& g : GroupNamesOf(c.record->Groups.view()))
      if (!groups_.resourceOf.count(g)) missing.insert(g);
  std::vector<GHttpRequest> requests;
  std::vector<std::string> names(missing.begin(), missing.end());
  for (const std::string& g : names)
    requests.push_back(JsonRequest("POST", settings_.peopleUrl + "contactGroups",
                                   json{{"contactGroup", {{"name", g}}}}));
  std::vector<GHttpResponse> answers = PeopleWrites(requests);
  for (std::size_t i = 0; i < names.size(); ++i) {
    json j = Parse(answers[i]);
    std::string resource = Str(j, "resourceName");
    if (answers[i].Ok() && !resource.empty()) {
      groups_.resourceOf[names[i]] = resource;
      groups_.nameOf[resource] = names[i];
    } else {
      // The contacts still go in, without this one group.
      QM_LOG_ERROR("The contact group \"%s\" could not be made: %s", names[i].c_str(),
                   GApiErrorText(answers[i]).c_str());
    }
  }
  return true;
}

void GApiAccount::AddContacts(std::span<RecordChange<GoogleContact>> batch,
                              SubmitProgress& progress) {
  if (batch.empty() || !EnsureGroups(batch)) return;
  std::vector<std::size_t> alone;
  for (std::size_t first = 0; first < batch.size(); first += kPeopleBatch) {
    const std::size_t last = std::min(batch.size(), first + kPeopleBatch);
    json contacts = json::array();
    for (std::size_t i = first; i < last; ++i)
      contacts.push_back({{"contactPerson", PersonOfContact(*batch[i].record, groups_)}});
    GHttpRequest create = JsonRequest("POST", settings_.peopleUrl + "people:batchCreateContacts",
                                      json{{"contacts", contacts}, {"readMask", "metadata"}});
    create.repeatable = false;
    GHttpResponse a = PeopleWrites({create}).front();
    if (Stopped(a)) return;
    json j = Parse(a);
    if (!a.Ok() || !j.is_object()) {
      // One bad contact fails its whole batch: each then goes alone, to find which.
      if (a.status >= 400 && a.status < 500 && a.status != 429) {
        for (std::size_t i = first; i < last; ++i) alone.push_back(i);
        continue;
      }
      for (std::size_t i = first; i < last; ++i)
        Fail(batch[i], "contact", "added to Google", AddFailure(a));
      progress.Step(last - first);
      continue;
    }
    const json created = j.value("createdPeople", json::array());
    for (std::size_t i = first; i < last; ++i) {
      const json entry = i - first < created.size() ? created[i - first] : json();
      std::string why = EntryError(entry);
      const json person =
          entry.is_object() ? entry.value("person", json::object()) : json::object();
      if (why.empty() && Str(person, "resourceName").empty()) why = "no contact came back";
      if (!why.empty()) {
        Fail(batch[i], "contact", "added to Google", why);
        continue;
      }
      batch[i].ref = PassThrough{Str(person, "resourceName"), Str(person, "etag"), {}};
      batch[i].done = true;
    }
    progress.Step(last - first);
  }
  if (alone.empty()) return;
  std::vector<GHttpRequest> requests;
  for (std::size_t i : alone) {
    requests.push_back(
        JsonRequest("POST", settings_.peopleUrl + "people:createContact?personFields=metadata",
                    PersonOfContact(*batch[i].record, groups_)));
    requests.back().repeatable = false;
  }
  std::vector<GHttpResponse> a = PeopleWrites(requests);
  for (std::size_t k = 0; k < alone.size(); ++k) {
    RecordChange<GoogleContact>& c = batch[alone[k]];
    if (Stopped(a[k])) continue;
    json p = Parse(a[k]);
    if (a[k].Ok() && !Str(p, "resourceName").empty()) {
      c.ref = PassThrough{Str(p, "resourceName"), Str(p, "etag"), {}};
      c.done = true;
    } else {
      Fail(c, "contact", "added to Google", AddFailure(a[k]));
    }
    progress.Step();
  }
}

void GApiAccount::UpdateContacts(std::span<RecordChange<GoogleContact>> batch,
                                 SubmitProgress& progress) {
  if (batch.empty() || !EnsureGroups(batch)) return;
  // Two hundred at a time from reading to writing: a large account never sits in memory
  // twice over as JSON.
  for (std::size_t first = 0; first < batch.size(); first += kPeopleBatch) {
    const std::size_t last = std::min(batch.size(), first + kPeopleBatch);
    if (!UpdateSomeContacts(batch.subspan(first, last - first), progress)) return;
  }
}

bool GApiAccount::UpdateSomeContacts(std::span<RecordChange<GoogleContact>> batch,
                                     SubmitProgress& progress) {
  constexpr const char* kWhat = "updated in Google";
  // The contacts as Google has them now: our fields go over them, theirs stay.
  GHttpRequest get;
  get.url = settings_.peopleUrl + "people:batchGet?personFields=" + kGPersonFields;
  bool any = false;
  for (auto& c : batch) {
    if (c.ref.file.rfind("people/", 0) != 0 || c.ref.revision.empty()) {
      Fail(c, "contact", kWhat, "it does not say which Google contact it is");
      continue;
    }
    get.url += "&resourceNames=" + GUrlEncode(c.ref.file);
    any = true;
  }
  std::map<std::string, json> current;
  if (any) {
    GHttpResponse got = http_.Send(get);
    if (Stopped(got)) return false;
    json j = Parse(got);
    if (got.Ok() && j.is_object())
      for (json& resp : j["responses"])
        if (resp.is_object() && resp.contains("person") && EntryError(resp).empty())
          current[Str(resp, "requestedResourceName")] = std::move(resp["person"]);
    for (auto& c : batch) {
      if (!c.error.empty()) continue;
      auto it = current.find(c.ref.file);
      if (!got.Ok())
        Fail(c, "contact", kWhat, GApiErrorText(got));
      else if (it == current.end())
        Fail(c, "contact", kWhat, "it is no longer in Google");
      else if (Str(it->second, "etag") != c.ref.revision)
        Fail(c, "contact", kWhat, kChangedText);
    }
  }

  struct Change {
    RecordChange<GoogleContact>* change;
    json person;
    std::string fields;
  };
  std::vector<Change> changes;
  std::set<std::string> mask;
  json contacts = json::object();
  for (auto& c : batch) {
    if (!c.error.empty()) continue;
    Change ch{&c, {}, {}};
    ch.person = MergePerson(current[c.ref.file], PersonOfContact(*c.record, groups_), ch.fields);
    // The etag as loaded: a change in Google since then is refused, not overwritten.
    ch.person["etag"] = c.ref.revision;
    ch.person["resourceName"] = c.ref.file;
    if (ch.fields.empty()) {
      c.done = true;  // nothing of ours to write
      continue;
    }
    for (const std::string& f : GroupNamesOf(ch.fields)) mask.insert(f);
    contacts[c.ref.file] = ch.person;
    changes.push_back(std::move(ch));
  }
  current.clear();
  std::vector<Change*> alone;
  if (!changes.empty()) {
    std::string maskText;
    for (const std::string& f : mask) maskText += (maskText.empty() ? "" : ",") + f;
    // Each person is whole (Google's fields and ours), so a field of the mask that one of them
    // does not change is written back as it was.
    GHttpResponse a =
        PeopleWrites({JsonRequest("POST", settings_.peopleUrl + "people:batchUpdateContacts",
                                  json{{"contacts", std::move(contacts)},
                                       {"updateMask", maskText},
                                       {"readMask", "metadata"}})})
            .front();
    if (Stopped(a)) return false;
    json j = Parse(a);
    if (!a.Ok() || !j.is_object()) {
      // A conflict of one contact fails the batch: each goes alone, to find which.
      for (Change& ch : changes) {
        if (a.status >= 400 && a.status < 500 && a.status != 429)
          alone.push_back(&ch);
        else
          Fail(*ch.change, "contact", kWhat, GApiErrorText(a));
      }
    } else {
      const json& results = j["updateResult"];
      for (Change& ch : changes) {
        RecordChange<GoogleContact>& c = *ch.change;
        const json entry =
            results.is_object() && results.contains(c.ref.file) ? results[c.ref.file] : json();
        std::string why = EntryError(entry);
        if (!why.empty()) {
          Fail(c, "contact", kWhat, why);
          continue;
        }
        c.ref.revision = Str(entry.value("person", json::object()), "etag");
        c.done = true;
      }
    }
  }
  std::vector<GHttpRequest> requests;
  for (Change* ch : alone)
    requests.push_back(JsonRequest("PATCH",
                                   settings_.peopleUrl + ch->change->ref.file +
                                       ":updateContact?updatePersonFields=" + ch->fields +
                                       "&personFields=metadata",
                                   ch->person));
  std::vector<GHttpResponse> a = PeopleWrites(requests);
  for (std::size_t k = 0; k < alone.size(); ++k) {
    RecordChange<GoogleContact>& c = *alone[k]->change;
    if (Stopped(a[k])) return false;
    if (a[k].Ok()) {
      c.ref.revision = Str(Parse(a[k]), "etag");
      c.done = true;
    } else {
      Fail(c, "contact", kWhat, Conflict(a[k]) ? std::string(kChangedText) : GApiErrorText(a[k]));
    }
  }
  progress.Step(batch.size());
  return true;
}

bool GApiAccount::LoadCalendar(GoogleCalendar& calendar, std::string& error) {
  GHttpRequest r;
  r.url = settings_.calendarUrl + "calendars/primary";
  GHttpResponse a = http_.Send(r);
  json j = Parse(a);
  if (!a.Ok() || !j.is_object()) {
    error = "The calendar could not be read from Google: " + GApiErrorText(a);
    return false;
  }
  calendar.Text1 = Str(j, "summary");
  calendar.Text2 = Str(j, "id");
  calendar.Text3 = settings_.calendarUrl + "calendars/" + GUrlEncode(Str(j, "id"));
  calendar.TimeZoneId = Str(j, "timeZone");
  return true;
}

bool GApiAccount::LoadEvents(std::vector<LoadedRecord<GoogleEvent>>& out, std::string& error) {
  GEventOptions o{tzid_};
  std::string token;
  std::size_t exceptions = 0;
  for (int page = 0; page < kMaxPages; ++page) {
    GHttpRequest r;
    r.url = settings_.calendarUrl +
            "calendars/primary/events?singleEvents=false&showDeleted=false&maxResults=" +
            std::to_string(kEventsPageSize);
    if (!token.empty()) r.url += "&pageToken=" + GUrlEncode(token);
    GHttpResponse a = http_.Send(r);
    json j = Parse(a);
    if (!a.Ok() || !j.is_object()) {
      error = Stopped(a) ? std::string()
                         : "The events could not be loaded from Google after " +
                               std::to_string(out.size()) + " events: " + GApiErrorText(a);
      return false;
    }
    for (const json& item : j.value("items", json::array())) {
      // Changed occurrences of a series come beside it; the series stands for them.
      if (!Str(item, "recurringEventId").empty()) {
        ++exceptions;
        continue;
      }
      if (Str(item, "status") == "cancelled") continue;
      LoadedRecord<GoogleEvent> l;
      if (!EventOfJson(item, l.record, o)) continue;
      l.ref = PassThrough{Str(item, "id"), Str(item, "etag"), {}};
      out.push_back(std::move(l));
    }
    Tell("Loading", "event", out.size(), out.size());
    token = Str(j, "nextPageToken");
    if (token.empty()) {
      if (exceptions)
        QM_LOG_INFO("%zu changed occurrences of recurring events stay with their series.",
                    exceptions);
      return true;
    }
  }
  error = "Google gave more pages of events than any calendar has.";
  return false;
}

std::string GApiAccount::ImportUid(const GoogleEvent& e) {
  // What the event is, not where the helper keeps it: no tags, states or stamps.
  std::string key = e.Title.str() + '\x1f' + e.Where.str() + '\x1f' +
                    std::to_string(e.Start.value) + '\x1f' + std::to_string(e.End.value) + '\x1f' +
                    std::to_string(e.AllDay) + '\x1f' + RuleLineOf(e, GEventOptions{}) + '\x1f' +
                    e.Description.str();
  unsigned char digest[SHA256_DIGEST_LENGTH];
  SHA256(reinterpret_cast<const unsigned char*>(key.data()), key.size(), digest);
  static constexpr char kHex[] = "0123456789abcdef";
  std::string uid;
  for (std::size_t i = 0; i < 16; ++i) {
    uid += kHex[digest[i] >> 4];
    uid += kHex[digest[i] & 15];
  }
  return uid + "@quillmove";
}

void GApiAccount::AddEvents(std::span<RecordChange<GoogleEvent>> batch, SubmitProgress& progress) {
  GEventOptions o{tzid_};
  std::vector<GHttpRequest> requests;
  // Alike events are each one of their own: the second of a kind gets "-2" in its UID, so
  // that an import does not lay it over the first.
  std::map<std::string, int> alike;
  for (const auto& c : batch) {
    json body = EventJsonOf(*c.record, o);
    std::string uid = ImportUid(*c.record);
    if (int n = ++alike[uid]; n > 1) uid.insert(uid.find('@'), "-" + std::to_string(n));
    body["iCalUID"] = uid;
    requests.push_back(
        JsonRequest("POST", settings_.calendarUrl + "calendars/primary/events/import", body));
  }
  std::vector<GHttpResponse> answers =
      http_.SendAll(requests, settings_.parallel, settings_.calendarWritesPerMinute,
                    [&](std::size_t) { progress.Step(); });
  for (std::size_t i = 0; i < batch.size(); ++i) {
    if (Stopped(answers[i])) continue;
    json j = Parse(answers[i]);
    if (!answers[i].Ok() || Str(j, "id").empty()) {
      Fail(batch[i], "event", "added to Google", GApiErrorText(answers[i]));
      continue;
    }
    batch[i].ref = PassThrough{Str(j, "id"), Str(j, "etag"), {}};
    batch[i].done = true;
  }
}

void GApiAccount::UpdateEvents(std::span<RecordChange<GoogleEvent>> batch,
                               SubmitProgress& progress) {
  constexpr const char* kWhat = "updated in Google";
  GEventOptions o{tzid_};
  std::vector<json> bodies(batch.size());
  std::vector<std::size_t> recurring;
  std::vector<GHttpRequest> gets;
  for (std::size_t i = 0; i < batch.size(); ++i) {
    RecordChange<GoogleEvent>& c = batch[i];
    if (c.ref.file.empty() || c.ref.revision.empty()) {
      Fail(c, "event", kWhat, "it does not say which Google event it is");
      continue;
    }
    bodies[i] = EventJsonOf(*c.record, o);
    if (!bodies[i].contains("recurrence")) continue;
    recurring.push_back(i);
    GHttpRequest r;
    r.url = settings_.calendarUrl + "calendars/primary/events/" + GUrlEncode(c.ref.file);
    gets.push_back(std::move(r));
  }
  // A series keeps its rule, and the dates it leaves out, unless our rule differs.
  std::vector<GHttpResponse> got =
      http_.SendAll(gets, settings_.parallel, settings_.calendarWritesPerMinute);
  for (std::size_t k = 0; k < recurring.size(); ++k) {
    std::size_t i = recurring[k];
    if (Stopped(got[k])) return;
    json current = Parse(got[k]);
    if (!got[k].Ok() || !current.is_object()) {
      Fail(batch[i], "event", kWhat, GApiErrorText(got[k]));
      continue;
    }
    // Our EXDATE lines say which occurrences are deleted; the series' other lines (RDATE)
    // stay as Google has them.
    std::string rule = bodies[i]["recurrence"][0].get<std::string>();
    std::vector<std::string> ourDays = ExceptionLines(bodies[i]["recurrence"]);
    const json theirs = current.value("recurrence", json::array());
    if (rule == RuleOf(current) && ourDays == ExceptionLines(theirs)) {
      bodies[i].erase("recurrence");
      continue;
    }
    for (const json& line : theirs)
      if (line.is_string() && line.get<std::string>().rfind("RRULE:", 0) != 0 &&
          !IsExceptionLine(line.get<std::string>()))
        bodies[i]["recurrence"].push_back(line);
  }
  std::vector<GHttpRequest> requests;
  std::vector<std::size_t> sent;
  for (std::size_t i = 0; i < batch.size(); ++i) {
    if (!batch[i].error.empty()) {
      progress.Step();
      continue;
    }
    GHttpRequest r = JsonRequest(
        "PATCH",
        settings_.calendarUrl + "calendars/primary/events/" + GUrlEncode(batch[i].ref.file),
        bodies[i]);
    // Google refuses the patch (412) when the event changed since it was loaded.
    r.headers.push_back("If-Match: " + batch[i].ref.revision);
    requests.push_back(std::move(r));
    sent.push_back(i);
  }
  std::vector<GHttpResponse> answers =
      http_.SendAll(requests, settings_.parallel, settings_.calendarWritesPerMinute,
                    [&](std::size_t) { progress.Step(); });
  for (std::size_t k = 0; k < sent.size(); ++k) {
    RecordChange<GoogleEvent>& c = batch[sent[k]];
    if (Stopped(answers[k])) continue;
    if (!answers[k].Ok()) {
      Fail(c, "event", kWhat,
           Conflict(answers[k]) ? std::string(kChangedText) : GApiErrorText(answers[k]));
      continue;
    }
    c.ref.revision = Str(Parse(answers[k]), "etag");
    c.done = true;
  }
}
