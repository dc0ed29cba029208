#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "google/GoogleContact.h"
#include "google/GoogleEvent.h"
#include "google/GoogleTaskNote.h"

// What a back end may ask of the helper run it serves. The session implements it; tests of a
// back end may stand in for it.
class BackendHost {
 public:
  virtual ~BackendHost() = default;
  // True once the program has asked the run to stop; cheap enough to ask per record.
  virtual bool StopRequested() = 0;
  // The first line of the status file, which the wait window shows.
  virtual void Status(const std::string& line) = 0;
  // "<verb> <noun> i of n", now and then (and always for the last one).
  virtual void Progress(const char* verb, const char* noun, std::size_t i, std::size_t n) = 0;
  // Something of the account left out without failing the run, for the error file.
  virtual void Warning(const std::string& text) = 0;
};

// Where a record lives in the account and which revision of it was loaded: a file, an address
// (href) or a resource name, its revision (an ETag) and, where the back end needs it to update
// the record, its UID. The program keeps it as the record's pass-through text and hands it
// back with an update.
struct PassThrough {
  std::string file;
  std::string revision;
  std::string uid;

  std::string Format() const {
    return "file=" + file + "\nrev=" + revision + (uid.empty() ? "" : "\nuid=" + uid);
  }
  static PassThrough Parse(std::string_view text);
};

template <class Record>
struct LoadedRecord {
  Record record;
  PassThrough ref;
};

// One record of a submit. The back end marks it done, or gives it an error text for the
// person ("The contact file x.vcf could not be written."); one failure never stops the others.
template <class Record>
struct RecordChange {
  Record* record = nullptr;
  PassThrough ref;  // an update: where the loaded record lives; set anew when it is done
  bool done = false;
  std::string error;
};

// Counts the records of one submit across its batches for the line "Saving contact i of n".
class SubmitProgress {
 public:
  SubmitProgress(BackendHost& host, const char* noun, std::size_t total)
      : host_(host), noun_(noun), total_(total) {}
  void Step(std::size_t n = 1) {
    done_ += n;
    host_.Progress("Saving", noun_, done_, total_);
  }

 private:
  BackendHost& host_;
  const char* noun_;
  std::size_t total_;
  std::size_t done_ = 0;
};

// The records of one kind in an account, as the data file holds them. Nothing is ever deleted:
// there is no operation for it.
template <class Record>
class RecordBackend {
 public:
  virtual ~RecordBackend() = default;
  // Every record of the kind. False with a reason when the load failed (or was stopped);
  // records that cannot be understood are left out and reported as warnings of the host.
  virtual bool LoadAll(std::vector<LoadedRecord<Record>>& out, std::string& error) = 0;
  // Adds new records; an update changes the record its ref names, the revision telling the
  // back end what was loaded. A stop leaves the rest of the batch neither done nor failed.
  virtual void Add(std::span<RecordChange<Record>> batch, SubmitProgress& progress) = 0;
  virtual void Update(std::span<RecordChange<Record>> batch, SubmitProgress& progress) = 0;
  // After the last batch: a back end that stages its writes puts them in place here, and
  // turns the changes whose write failed from done into failed.
  virtual void Finish() {}
};

// One account of a back end (local folders, a CardDAV/CalDAV server, Google's own APIs).
class AccountBackend {
 public:
  virtual ~AccountBackend() = default;
  // Logs in. False with a text for the person ("Invalid e-mail or password.").
  virtual bool Open(const std::string& email, const std::string& password, std::string& error) = 0;

  // The records of each kind; null when the account keeps no records of that kind.
  virtual std::unique_ptr<RecordBackend<GoogleContact>> Contacts(BackendHost& host) = 0;
  virtual std::unique_ptr<RecordBackend<GoogleEvent>> Events(BackendHost& host) = 0;
  virtual std::unique_ptr<RecordBackend<GoogleTask>> Tasks(BackendHost& host) = 0;
  virtual std::unique_ptr<RecordBackend<GoogleNote>> Notes(BackendHost& host) = 0;

  // The calendar the events come from and go to, for the calendar definition file; its time
  // zone is the one recurring events are written in.
  virtual bool Calendar(GoogleCalendar& calendar, std::string& error) = 0;

  // The record backend of a kind, chosen by record type.
  template <class Record>
  std::unique_ptr<RecordBackend<Record>> For(BackendHost& host);
};

template <>
inline std::unique_ptr<RecordBackend<GoogleContact>> AccountBackend::For(BackendHost& host) {
  return Contacts(host);
}
template <>
inline std::unique_ptr<RecordBackend<GoogleEvent>> AccountBackend::For(BackendHost& host) {
  return Events(host);
}
template <>
inline std::unique_ptr<RecordBackend<GoogleTask>> AccountBackend::For(BackendHost& host) {
  return Tasks(host);
}
template <>
inline std::unique_ptr<RecordBackend<GoogleNote>> AccountBackend::For(BackendHost& host) {
  return Notes(host);
}
