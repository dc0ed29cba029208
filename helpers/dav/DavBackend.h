#pragma once

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "AccountBackend.h"
#include "BackendSettings.h"
#include "LocalAccount.h"
#include "RecordKinds.h"
#include "dav/DavHttp.h"
#include "dav/DavXml.h"
#include "misc/CxDebugUtil.h"

// How the DAV back end talks to a server. How many writes go out at once is found while
// sending (see DavWindow), up to putParallel, unless the account's settings fix it.
struct DavTuning {
  std::size_t putParallel = 8;
  std::size_t multigetChunk = 200;
  std::size_t multigetParallel = 2;
};

// The UID property of a vCard or iCalendar text (the first one, folded lines joined); empty
// when there is none.
std::string FindUid(std::string_view text);
// A name for a record in messages: "contact \"Ann Smith\"".
std::string RecordLabel(const GoogleContact& r);
std::string RecordLabel(const GoogleEvent& r);
std::string RecordLabel(const GoogleTask& r);
std::string RecordLabel(const GoogleNote& r);
// Whether a calendar object holds a component of the kind ("VEVENT"); vCards always do.
bool HoldsComponent(std::string_view text, const char* component);
// An update must not blank what the program never knew: the properties of the server's text
// that our writer never writes (a photo, attendees, exception dates ...) are carried into ours,
// and so are the exceptions of a recurring event (its other components with a RECURRENCE-ID).
// `component` is "VCARD", "VEVENT", "VTODO" or "VJOURNAL".
std::string KeepForeignParts(std::string ours, std::string_view theirs,
                             const std::string& component);

// An account on a CardDAV/CalDAV server: contacts in its (first) address book, events, tasks
// and notes in its (first) calendar that takes them. A missing address book or calendar is
// made; nothing on the server is ever deleted.
class DavAccountBackend : public AccountBackend {
 public:
  explicit DavAccountBackend(const AccountSettings& settings, DavTuning tuning = {});

  bool Open(const std::string& email, const std::string& password, std::string& error) override;
  std::unique_ptr<RecordBackend<GoogleContact>> Contacts(BackendHost& host) override;
  std::unique_ptr<RecordBackend<GoogleEvent>> Events(BackendHost& host) override;
  std::unique_ptr<RecordBackend<GoogleTask>> Tasks(BackendHost& host) override;
  std::unique_ptr<RecordBackend<GoogleNote>> Notes(BackendHost& host) override;
  bool Calendar(GoogleCalendar& calendar, std::string& error) override;

  // The collection of a kind ("" for the address book, else the calendar component), found
  // once: its absolute address, ending with '/'. False with a reason for the person.
  bool CollectionFor(const std::string& component, std::string& url, std::string& error);

  DavHttp& Http() { return *http_; }
  const DavTuning& Tuning() const { return tuning_; }
  // Writes, and the reads that go before updates, share what was learnt about the server.
  DavWindow& PutWindow() { return putWindow_; }
  // A failed request as a text for the person.
  static std::string Failure(const DavReply& reply);
  static constexpr const char* kXml = "application/xml; charset=utf-8";

 private:
  bool Home(bool calendar, std::string& home, std::string& collection, std::string& error);
  bool Propfind(const std::string& url, int depth, const std::vector<std::string>& props,
                std::vector<DavEntry>& entries, std::string& finalUrl, std::string& error);

  AccountSettings settings_;
  DavTuning tuning_;
  DavWindow putWindow_;
  std::string email_;
  std::unique_ptr<DavHttp> http_;
  std::map<std::string, std::string> collections_;
};

// The records of one kind in a collection of the server.
template <class Kind>
class DavRecordBackend : public RecordBackend<typename Kind::Record> {
 public:
  using Record = typename Kind::Record;

  // `component`: "" for the address book, else the calendar component of the kind.
  DavRecordBackend(BackendHost& host, DavAccountBackend& account, std::string component)
      : host_(host), account_(account), component_(std::move(component)) {}

  bool LoadAll(std::vector<LoadedRecord<Record>>& out, std::string& error) override {
    if (!Collection(error)) return false;
    host_.Status(std::string("Listing the ") + Kind::kFolder + " on the server ...");
    DavReply reply = account_.Http().Send({"PROPFIND",
                                           collection_,
                                           PropfindBody({"D:getetag", "D:resourcetype"}),
                                           DavAccountBackend::kXml,
                                           {"Depth: 1"}});
    std::vector<DavEntry> listed;
    if (reply.status != 207 || !ParseMultistatus(reply.body, listed, error)) {
      if (reply.status != 207) error = DavAccountBackend::Failure(reply);
      error = "The " + std::string(Kind::kFolder) + " could not be listed: " + error;
      return false;
    }
    const std::string self = DecodedPath(collection_);
    std::vector<std::string> hrefs;
    for (const DavEntry& e : listed)
      if (!e.Is("collection") && DecodedPath(ResolveUrl(collection_, e.href)) != self)
        hrefs.push_back(e.href);
    std::sort(hrefs.begin(), hrefs.end());

    std::vector<DavRequest> gets;
    for (std::size_t i = 0; i < hrefs.size(); i += account_.Tuning().multigetChunk) {
      std::vector<std::string> chunk(
          hrefs.begin() + static_cast<std::ptrdiff_t>(i),
          hrefs.begin() + static_cast<std::ptrdiff_t>(
                              std::min(hrefs.size(), i + account_.Tuning().multigetChunk)));
      gets.push_back({"REPORT",
                      collection_,
                      MultigetBody(!component_.empty(), chunk),
                      DavAccountBackend::kXml,
                      {"Depth: 1"}});
    }
    // Replies arrive in any order; the records keep the order of their addresses.
    std::map<std::string, LoadedRecord<Record>> found;
    std::size_t answered = 0, left = 0;
    std::string failure;
    account_.Http().SendAll(
        gets, account_.Tuning().multigetParallel,
        [&](std::size_t, DavReply& r) {
          std::vector<DavEntry> entries;
          std::string why;
          if (r.status != 207 || !ParseMultistatus(r.body, entries, why)) {
            if (failure.empty()) failure = r.status != 207 ? DavAccountBackend::Failure(r) : why;
            return;
          }
          for (DavEntry& e : entries) {
            ++answered;
            std::string path = DecodedPath(ResolveUrl(collection_, e.href));
            if (e.status >= 300 || e.data.empty()) {
              host_.Warning(path + ": the server did not send it (" + std::to_string(e.status) +
                            ")");
              continue;
            }
            if (!HoldsComponent(e.data, component_.c_str())) continue;  // another kind's
            LoadedRecord<Record> loaded;
            std::string reason;
            if (!Kind::Parse(e.data, loaded.record, reason)) {
              host_.Warning(path + ": " + reason);
              ++left;
              continue;
            }
            loaded.ref = PassThrough{path, e.etag, FindUid(e.data)};
            found[path] = std::move(loaded);
            host_.Progress("Loading", Kind::kNoun, answered, hrefs.size());
          }
        },
        [&] { return host_.StopRequested(); });
    if (host_.StopRequested()) return false;
    if (!failure.empty()) {
      error = "The " + std::string(Kind::kFolder) + " could not be loaded: " + failure;
      return false;
    }
    if (left)
      QM_LOG_ERROR("%zu %s on the server could not be read and were left out.", left,
                   Kind::kFolder);
    for (auto& [path, loaded] : found) out.push_back(std::move(loaded));
    return true;
  }

  void Add(std::span<RecordChange<Record>> batch, SubmitProgress& progress) override {
    Put(batch, progress, false);
  }
  void Update(std::span<RecordChange<Record>> batch, SubmitProgress& progress) override {
    Put(batch, progress, true);
  }

 private:
  bool Collection(std::string& error) {
    return !collection_.empty() || account_.CollectionFor(component_, collection_, error);
  }

  // One PUT per record, several in flight. An add never replaces (If-None-Match: *); an update
  // replaces only the revision that was loaded (If-Match), so a record changed on the server
  // since is reported, not overwritten.
  void Put(std::span<RecordChange<Record>> batch, SubmitProgress& progress, bool updating) {
    std::string error;
    if (!Collection(error)) {
      for (RecordChange<Record>& c : batch) c.error = error;
      return;
    }
    const std::string self = DecodedPath(collection_);
    std::vector<DavRequest> puts;
    std::vector<PassThrough> refs;
    std::vector<bool> replacing;
    for (RecordChange<Record>& c : batch) {
      PassThrough ref;
      DavRequest put{"PUT", {}, {}, Kind::kMediaType, {}};
      // A ref is the program's to keep, not to point us elsewhere: one that does not name a
      // record of this collection adds the record instead.
      const bool known = updating && c.ref.file.size() > self.size() &&
                         c.ref.file.compare(0, self.size(), self) == 0 &&
                         c.ref.file.find('/', self.size()) == std::string::npos &&
                         c.ref.file.find("..") == std::string::npos;
      if (known) {
        ref = c.ref;
        if (ref.uid.empty()) ref.uid = Stem(ref.file.substr(self.size()));
        put.url = ResolveUrl(collection_, EncodePathSegment(ref.file.substr(self.size())));
        if (!ref.revision.empty()) put.headers.push_back("If-Match: " + ref.revision);
      } else {
        ref.uid = NewIdentifier();
        ref.file = self + ref.uid + Kind::kExtension;
        put.url = collection_ + ref.uid + Kind::kExtension;
        put.headers.push_back("If-None-Match: *");
      }
      replacing.push_back(known);
      put.body = Kind::Format(*c.record, ref.uid);
      puts.push_back(std::move(put));
      refs.push_back(std::move(ref));
    }
    if (updating) Merge(batch, puts, refs, replacing, progress);
    // What the merge settled (or a stop left unread) is not sent.
    std::vector<std::size_t> sent;
    std::vector<DavRequest> ready;
    for (std::size_t i = 0; i < puts.size(); ++i) {
      if (!batch[i].error.empty() || puts[i].body.empty()) continue;
      sent.push_back(i);
      ready.push_back(std::move(puts[i]));
    }
    account_.Http().SendAll(
        ready, account_.PutWindow(),
        [&](std::size_t k, DavReply& r) {
          const std::size_t i = sent[k];
          RecordChange<Record>& c = batch[i];
          progress.Step();
          if (r.status >= 200 && r.status < 300) {
            c.done = true;
            c.ref = refs[i];
            c.ref.revision = r.etag;
            return;
          }
          const std::string what = RecordLabel(*c.record);
          if (r.status == 412 && replacing[i])
            c.error = "The " + what + " was changed on the server since it was loaded; " +
                      "it was not updated.";
          else if (r.status == 412)
            c.error = "The " + what + " was not added: the server already has a record at " +
                      refs[i].file + ".";
          else if (r.status == 409)
            c.error = "The server refused the " + what + " as a conflict (409)" +
                      (r.body.find("uid-conflict") != std::string::npos
                           ? ": it already holds a record with its UID."
                           : ".");
          else
            c.error = "The " + what + " could not be saved: " + DavAccountBackend::Failure(r);
        },
        [&] { return host_.StopRequested(); });
  }

  // Fetches what the server holds now for each record to replace: one changed since the load
  // or gone is reported (and its PUT dropped); the others keep what our writer leaves out.
  void Merge(std::span<RecordChange<Record>> batch, std::vector<DavRequest>& puts,
             const std::vector<PassThrough>& refs, const std::vector<bool>& replacing,
             SubmitProgress& progress) {
    std::vector<DavRequest> gets;
    std::vector<std::size_t> which;
    for (std::size_t i = 0; i < puts.size(); ++i) {
      if (!replacing[i]) continue;
      gets.push_back({"GET", puts[i].url, {}, {}, {}});
      which.push_back(i);
    }
    const std::string component = component_.empty() ? "VCARD" : component_;
    account_.Http().SendAll(
        gets, account_.PutWindow(),
        [&](std::size_t k, DavReply& r) {
          const std::size_t i = which[k];
          RecordChange<Record>& c = batch[i];
          const std::string what = RecordLabel(*c.record);
          if (r.status == 404 || r.status == 410) {
            c.error = "The " + what + " is no longer on the server; it was not added again.";
          } else if (r.status < 200 || r.status >= 300) {
            c.error = "The " + what +
                      " could not be read before saving: " + DavAccountBackend::Failure(r);
          } else if (!refs[i].revision.empty() && !r.etag.empty() && r.etag != refs[i].revision) {
            c.error = "The " + what + " was changed on the server since it was loaded; " +
                      "it was not updated.";
          } else {
            puts[i].body = KeepForeignParts(std::move(puts[i].body), r.body, component);
            return;
          }
          progress.Step();
        },
        [&] { return host_.StopRequested(); });
    // Not fetched (stopped): not sent either.
    for (std::size_t k = 0; k < which.size(); ++k)
      if (batch[which[k]].error.empty() && host_.StopRequested()) puts[which[k]].body.clear();
  }

  static std::string Stem(const std::string& name) {
    std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
  }

  BackendHost& host_;
  DavAccountBackend& account_;
  std::string component_;
  std::string collection_;
};
