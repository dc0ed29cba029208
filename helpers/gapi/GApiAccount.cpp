#include "gapi/GApiAccount.h"

#include <openssl/sha.h>

#include <algorithm>
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

const char* kChangedText = "it was changed in Google since it was loaded; load again to see it";

}  // namespace

std::string GApiIdentity::Format() const {
  std::string out = "file=" + id + "\nrev=" + etag;
  if (!rule.empty()) out += "\nrule=" + rule;
  return out;
}

GApiIdentity GApiIdentity::Parse(std::string_view text) {
  GApiIdentity p;
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (line.substr(0, 5) == "file=") p.id = std::string(line.substr(5));
    if (line.substr(0, 4) == "rev=") p.etag = std::string(line.substr(4));
    if (line.substr(0, 5) == "rule=") p.rule = std::string(line.substr(5));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return p;
}

GApiAccount::GApiAccount(GApiSettings settings)
    : settings_(std::move(settings)), http_(settings_), auth_(settings_, http_) {
  http_.SetReauthorize([this] {
    std::string why;
    bool ok = auth_.Refresh(why);
    if (!ok && !why.empty()) QM_LOG_ERROR("%s", why.c_str());
    return ok;
  });
  tzid_ = MachineTimeZone();
}

void GApiAccount::SetStatus(std::function<void(const std::string&)> status) {
  auth_.SetStatus(std::move(status));
}

void GApiAccount::SetStop(std::function<bool()> stop) {
  stop_ = stop;
  auth_.SetStop(stop);
  http_.SetStop(std::move(stop));
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
    if (token.empty()) break;
  }
  groupsLoaded_ = true;
  return true;
}

bool GApiAccount::LoadContacts(std::vector<GoogleContact>& out, std::string& error) {
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
      error = "The contacts could not be loaded from Google after " + std::to_string(out.size()) +
              " contacts: " + GApiErrorText(a);
      return false;
    }
    if (j.contains("totalPeople") && j["totalPeople"].is_number_unsigned())
      total = j["totalPeople"].get<std::size_t>();
    for (const json& p : j.value("connections", json::array())) {
      GoogleContact c;
      ContactOfPerson(p, c, groups_);
      c.RecordTag = static_cast<std::int32_t>(out.size() + 1);
      c.PassThrough = GApiIdentity{Str(p, "resourceName"), Str(p, "etag"), {}}.Format();
      out.push_back(std::move(c));
      Tell("Loading", "contact", out.size(), std::max(total, out.size()));
    }
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

bool GApiAccount::EnsureGroups(const std::vector<GoogleContact*>& records,
                               std::vector<std::string>& errors) {
  std::string why;
  if (!LoadGroups(why)) {
    std::fill(errors.begin(), errors.end(), why);
    return false;
  }
  std::set<std::string> missing;
  for (const GoogleContact* c : records)
    for (const std::string& g : GroupNamesOf(c->Groups.view()))
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
      continue;
    }
    // The contacts still go in; only this group is missing on them.
    std::string text =
        "the group \"" + names[i] + "\" could not be made: " + GApiErrorText(answers[i]);
    QM_LOG_ERROR("The contacts go in without it: %s", text.c_str());
  }
  return true;
}

std::vector<std::string> GApiAccount::AddContacts(std::vector<GoogleContact*> records) {
  std::vector<std::string> errors(records.size());
  if (records.empty()) return errors;
  if (!EnsureGroups(records, errors)) return errors;
  std::vector<GHttpRequest> requests;
  for (std::size_t at = 0; at < records.size(); at += kPeopleBatch) {
    json contacts = json::array();
    for (std::size_t i = at; i < std::min(records.size(), at + kPeopleBatch); ++i)
      contacts.push_back({{"contactPerson", PersonOfContact(*records[i], groups_)}});
    requests.push_back(JsonRequest("POST", settings_.peopleUrl + "people:batchCreateContacts",
                                   json{{"contacts", contacts}, {"readMask", "metadata"}}));
  }
  std::vector<GHttpResponse> answers;
  // One batch at a time, so that the progress line moves.
  for (std::size_t b = 0; b < requests.size(); ++b) {
    answers.push_back(PeopleWrites({requests[b]}).front());
    Tell("Saving", "contact", std::min(records.size(), (b + 1) * kPeopleBatch), records.size());
  }
  std::vector<std::size_t> retryAlone;
  for (std::size_t b = 0; b < answers.size(); ++b) {
    const std::size_t first = b * kPeopleBatch;
    const std::size_t last = std::min(records.size(), first + kPeopleBatch);
    json j = Parse(answers[b]);
    if (!answers[b].Ok() || !j.is_object()) {
      // A batch is refused whole for one bad contact: each goes alone to find which.
      if (answers[b].status >= 400 && answers[b].status < 500 && answers[b].status != 429)
        for (std::size_t i = first; i < last; ++i) retryAlone.push_back(i);
      else
        for (std::size_t i = first; i < last; ++i)
          errors[i] = "not added to Google: " + GApiErrorText(answers[b]);
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
        errors[i] = "not added to Google: " + why;
        continue;
      }
      records[i]->PassThrough =
          GApiIdentity{Str(person, "resourceName"), Str(person, "etag"), {}}.Format();
    }
  }
  if (!retryAlone.empty()) {
    std::vector<GHttpRequest> alone;
    for (std::size_t i : retryAlone)
      alone.push_back(
          JsonRequest("POST", settings_.peopleUrl + "people:createContact?personFields=metadata",
                      PersonOfContact(*records[i], groups_)));
    std::vector<GHttpResponse> a = PeopleWrites(alone);
    for (std::size_t k = 0; k < retryAlone.size(); ++k) {
      std::size_t i = retryAlone[k];
      json p = Parse(a[k]);
      if (a[k].Ok() && !Str(p, "resourceName").empty())
        records[i]->PassThrough = GApiIdentity{Str(p, "resourceName"), Str(p, "etag"), {}}.Format();
      else
        errors[i] = "not added to Google: " + GApiErrorText(a[k]);
    }
  }
  return errors;
}

std::vector<std::string> GApiAccount::UpdateContacts(std::vector<GoogleContact*> records) {
  std::vector<std::string> errors(records.size());
  if (records.empty()) return errors;
  if (!EnsureGroups(records, errors)) return errors;
  std::vector<GApiIdentity> ids;
  for (std::size_t i = 0; i < records.size(); ++i) {
    ids.push_back(GApiIdentity::Parse(records[i]->PassThrough.view()));
    if (ids[i].id.rfind("people/", 0) != 0 || ids[i].etag.empty())
      errors[i] = "not updated: the record does not say which Google contact it is";
  }
  // The contacts as Google has them now: our fields go over them, theirs stay.
  std::vector<json> current(records.size());
  std::vector<GHttpRequest> gets;
  std::vector<std::vector<std::size_t>> getOf;
  for (std::size_t at = 0; at < records.size(); at += kPeopleBatch) {
    GHttpRequest r;
    r.url = settings_.peopleUrl + "people:batchGet?personFields=" + kGPersonFields;
    std::vector<std::size_t> members;
    for (std::size_t i = at; i < std::min(records.size(), at + kPeopleBatch); ++i) {
      if (!errors[i].empty()) continue;
      r.url += "&resourceNames=" + GUrlEncode(ids[i].id);
      members.push_back(i);
    }
    if (members.empty()) continue;
    gets.push_back(std::move(r));
    getOf.push_back(std::move(members));
  }
  std::vector<GHttpResponse> got = http_.SendAll(gets, 1, 0);
  for (std::size_t g = 0; g < gets.size(); ++g) {
    json j = Parse(got[g]);
    std::map<std::string, json> byName;
    if (got[g].Ok() && j.is_object())
      for (const json& resp : j.value("responses", json::array()))
        if (resp.is_object() && resp.contains("person"))
          byName[Str(resp, "requestedResourceName")] = resp["person"];
    for (std::size_t i : getOf[g]) {
      auto it = byName.find(ids[i].id);
      if (!got[g].Ok())
        errors[i] = "not updated: " + GApiErrorText(got[g]);
      else if (it == byName.end())
        errors[i] = "not updated: the contact is no longer in Google";
      else if (Str(it->second, "etag") != ids[i].etag)
        errors[i] = std::string("not updated: ") + kChangedText;
      else
        current[i] = it->second;
    }
  }

  struct Change {
    std::size_t index;
    json person;
    std::string fields;
  };
  std::vector<Change> changes;
  for (std::size_t i = 0; i < records.size(); ++i) {
    if (!errors[i].empty()) continue;
    Change c{i, {}, {}};
    c.person = MergePerson(current[i], PersonOfContact(*records[i], groups_), c.fields);
    c.person["etag"] = ids[i].etag;  // the loaded one: a change since then is refused
    c.person["resourceName"] = ids[i].id;
    if (c.fields.empty()) continue;  // nothing of ours to write
    changes.push_back(std::move(c));
  }
  std::vector<Change*> alone;
  for (std::size_t at = 0; at < changes.size(); at += kPeopleBatch) {
    std::size_t end = std::min(changes.size(), at + kPeopleBatch);
    json contacts = json::object();
    std::set<std::string> mask;
    for (std::size_t k = at; k < end; ++k) {
      contacts[ids[changes[k].index].id] = changes[k].person;
      for (const std::string& f : GroupNamesOf(changes[k].fields)) mask.insert(f);
    }
    std::string maskText;
    for (const std::string& f : mask) maskText += (maskText.empty() ? "" : ",") + f;
    // Each person is whole (the server's fields and ours), so a field in the mask that one of
    // them does not touch is written back as it was.
    GHttpResponse a =
        PeopleWrites(
            {JsonRequest(
                "POST", settings_.peopleUrl + "people:batchUpdateContacts",
                json{{"contacts", contacts}, {"updateMask", maskText}, {"readMask", "metadata"}})})
            .front();
    Tell("Saving", "contact", end, changes.size());
    json j = Parse(a);
    if (!a.Ok() || !j.is_object()) {
      if (a.status >= 400 && a.status < 500 && a.status != 429)
        for (std::size_t k = at; k < end; ++k) alone.push_back(&changes[k]);
      else
        for (std::size_t k = at; k < end; ++k)
          errors[changes[k].index] = "not updated: " + GApiErrorText(a);
      continue;
    }
    const json results = j.value("updateResult", json::object());
    for (std::size_t k = at; k < end; ++k) {
      std::size_t i = changes[k].index;
      const std::string& id = ids[i].id;
      const json entry = results.is_object() && results.contains(id) ? results[id] : json();
      std::string why = EntryError(entry);
      if (!why.empty()) {
        errors[i] = "not updated: " + why;
        continue;
      }
      records[i]->PassThrough =
          GApiIdentity{id, Str(entry.value("person", json::object()), "etag"), {}}.Format();
    }
  }
  if (!alone.empty()) {
    std::vector<GHttpRequest> requests;
    for (Change* c : alone)
      requests.push_back(JsonRequest("PATCH",
                                     settings_.peopleUrl + ids[c->index].id +
                                         ":updateContact?updatePersonFields=" + c->fields +
                                         "&personFields=metadata",
                                     c->person));
    std::vector<GHttpResponse> a = PeopleWrites(requests);
    for (std::size_t k = 0; k < alone.size(); ++k) {
      std::size_t i = alone[k]->index;
      if (a[k].Ok())
        records[i]->PassThrough = GApiIdentity{ids[i].id, Str(Parse(a[k]), "etag"), {}}.Format();
      else
        errors[i] = Conflict(a[k]) ? std::string("not updated: ") + kChangedText
                                   : "not updated: " + GApiErrorText(a[k]);
    }
  }
  return errors;
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

bool GApiAccount::LoadEvents(std::vector<GoogleEvent>& out, std::string& error) {
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
      error = "The events could not be loaded from Google after " + std::to_string(out.size()) +
              " events: " + GApiErrorText(a);
      return false;
    }
    for (const json& item : j.value("items", json::array())) {
      // Changed single occurrences of a series come with it; the series stands for them.
      if (!Str(item, "recurringEventId").empty()) {
        ++exceptions;
        continue;
      }
      if (Str(item, "status") == "cancelled") continue;
      GoogleEvent e;
      if (!EventOfJson(item, e, o)) continue;
      e.RecordTag = static_cast<std::int32_t>(out.size() + 1);
      std::string rule;
      for (const json& line : item.value("recurrence", json::array()))
        if (line.is_string() && line.get<std::string>().rfind("RRULE:", 0) == 0)
          rule = line.get<std::string>();
      e.EventLink = GApiIdentity{Str(item, "id"), Str(item, "etag"), rule}.Format();
      out.push_back(std::move(e));
      Tell("Loading", "event", out.size(), out.size());
    }
    token = Str(j, "nextPageToken");
    if (token.empty()) {
      if (exceptions)
        QM_LOG_INFO("%zu changed occurrences of recurring events were left with their series.",
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

std::vector<std::string> GApiAccount::AddEvents(std::vector<GoogleEvent*> records) {
  std::vector<std::string> errors(records.size());
  GEventOptions o{tzid_};
  std::vector<GHttpRequest> requests;
  for (GoogleEvent* e : records) {
    json body = EventJsonOf(*e, o);
    body["iCalUID"] = ImportUid(*e);
    requests.push_back(
        JsonRequest("POST", settings_.calendarUrl + "calendars/primary/events/import", body));
  }
  std::vector<GHttpResponse> answers =
      http_.SendAll(requests, settings_.parallel, settings_.calendarWritesPerMinute,
                    [&](std::size_t done) { Tell("Saving", "event", done, records.size()); });
  for (std::size_t i = 0; i < records.size(); ++i) {
    json j = Parse(answers[i]);
    if (!answers[i].Ok() || Str(j, "id").empty()) {
      errors[i] = "not added to Google: " + GApiErrorText(answers[i]);
      continue;
    }
    std::string rule;
    for (const json& line : j.value("recurrence", json::array()))
      if (line.is_string() && line.get<std::string>().rfind("RRULE:", 0) == 0)
        rule = line.get<std::string>();
    records[i]->EventLink = GApiIdentity{Str(j, "id"), Str(j, "etag"), rule}.Format();
  }
  return errors;
}

std::vector<std::string> GApiAccount::UpdateEvents(std::vector<GoogleEvent*> records) {
  std::vector<std::string> errors(records.size());
  GEventOptions o{tzid_};
  std::vector<GHttpRequest> requests;
  std::vector<std::size_t> sent;
  for (std::size_t i = 0; i < records.size(); ++i) {
    GApiIdentity id = GApiIdentity::Parse(records[i]->EventLink.view());
    if (id.id.empty() || id.etag.empty()) {
      errors[i] = "not updated: the record does not say which Google event it is";
      continue;
    }
    json body = EventJsonOf(*records[i], o);
    // The series' rule as loaded stays with its exceptions; only a changed rule is sent.
    if (body.contains("recurrence") && body["recurrence"].size() == 1 &&
        body["recurrence"][0].get<std::string>() == id.rule)
      body.erase("recurrence");
    GHttpRequest r = JsonRequest(
        "PATCH", settings_.calendarUrl + "calendars/primary/events/" + GUrlEncode(id.id), body);
    r.headers.push_back("If-Match: " + id.etag);
    requests.push_back(std::move(r));
    sent.push_back(i);
  }
  std::vector<GHttpResponse> answers =
      http_.SendAll(requests, settings_.parallel, settings_.calendarWritesPerMinute,
                    [&](std::size_t done) { Tell("Saving", "event", done, requests.size()); });
  for (std::size_t k = 0; k < sent.size(); ++k) {
    std::size_t i = sent[k];
    json j = Parse(answers[k]);
    if (!answers[k].Ok()) {
      errors[i] = Conflict(answers[k]) ? std::string("not updated: ") + kChangedText
                                       : "not updated: " + GApiErrorText(answers[k]);
      continue;
    }
    GApiIdentity id = GApiIdentity::Parse(records[i]->EventLink.view());
    id.etag = Str(j, "etag");
    records[i]->EventLink = id.Format();
  }
  return errors;
}
