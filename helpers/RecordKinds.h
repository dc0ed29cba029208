#pragma once

#include <string>

#include "ContactCard.h"
#include "ICalCard.h"
#include "misc/CxDateTime.h"
#include "misc/CxFile.h"

// The four kinds of record a helper serves. Each supplies: the Record type; kNoun ("contact"),
// kFolder ("contacts"), kExtension (".vcf"); Parse(content, record, why) and Format(record,
// uid) between the record and its vCard or iCalendar text; Read/Write of the data-file
// record; and PassThroughOf(record), a pointer to the text the program keeps for the helper,
// or null when the record has none (then an index file in the working folder remembers where
// each loaded record lives).

struct ContactKind {
  using Record = GoogleContact;
  static constexpr const char* kNoun = "contact";
  static constexpr const char* kFolder = "contacts";
  static constexpr const char* kExtension = ".vcf";
  static constexpr const char* kMediaType = "text/vcard; charset=utf-8";

  static bool Parse(const std::string& content, GoogleContact& r, std::string& why) {
    std::vector<VCard> cards = VCardReader::Parse(content);
    if (cards.empty()) {
      why = "no vCard in the file";
      return false;
    }
    ReadContactCard(cards.front(), r);
    return true;
  }
  // `uid` names the card; a new record (Action 1) is stamped as created now.
  static std::string Format(const GoogleContact& r, const std::string& uid) {
    GoogleContact stamped(r);
    OleDate now = CxDateTime().Date();
    if (r.Action == 1 || !r.CreationTime.IsSet()) stamped.CreationTime = now;
    stamped.LastModificationTime = now;
    return WriteContactCard(stamped, uid);
  }
  static bool Read(CxFile& f, GoogleContact& r) { return ReadGoogleContact(f, r); }
  static bool Write(CxFile& f, const GoogleContact& r) { return WriteGoogleContact(f, r); }
  static FixedText<4096>* PassThroughOf(GoogleContact& r) { return &r.PassThrough; }
};

struct EventKind {
  using Record = GoogleEvent;
  static constexpr const char* kNoun = "event";
  static constexpr const char* kFolder = "calendar";
  static constexpr const char* kExtension = ".ics";
  static constexpr const char* kMediaType = "text/calendar; charset=utf-8";

  // The account calendar's zone and the account's address, set once per run by the back end.
  static ICalOptions& Options() {
    static ICalOptions options;
    return options;
  }
  static void Prepare(const std::string& tzid, const std::string& email) {
    Options().tzid = tzid;
    Options().organizer = email;
  }

  static bool Parse(const std::string& content, GoogleEvent& r, std::string& why) {
    r.CalendarRef = Options().organizer;
    if (ReadEventICal(content, r, Options())) return true;
    why = "no event with a start in the file";
    return false;
  }
  static std::string Format(const GoogleEvent& r, const std::string& uid) {
    GoogleEvent stamped(r);
    OleDate now = CxDateTime().Date();
    if (r.Action == 1 || !r.FurtherTimes[0].IsSet()) stamped.FurtherTimes[0] = now;
    stamped.FurtherTimes[1] = now;
    return WriteEventICal(stamped, uid, Options());
  }
  static bool Read(CxFile& f, GoogleEvent& r) { return ReadGoogleEvent(f, r); }
  static bool Write(CxFile& f, const GoogleEvent& r) { return WriteGoogleEvent(f, r); }
  static FixedText<4096>* PassThroughOf(GoogleEvent& r) { return &r.EventLink; }
};

struct TaskKind {
  using Record = GoogleTask;
  static constexpr const char* kNoun = "task";
  static constexpr const char* kFolder = "tasks";
  static constexpr const char* kExtension = ".ics";
  static constexpr const char* kMediaType = "text/calendar; charset=utf-8";

  static bool Parse(const std::string& content, GoogleTask& r, std::string& why) {
    if (ReadTaskICal(content, r)) return true;
    why = "no task in the file";
    return false;
  }
  static std::string Format(const GoogleTask& r, const std::string& uid) {
    GoogleTask stamped(r);
    OleDate now = CxDateTime().Date();
    if (r.Action == 1 || !r.FurtherTimes[0].IsSet()) stamped.FurtherTimes[0] = now;
    stamped.FurtherTimes[1] = now;
    return WriteTaskICal(stamped, uid, ICalOptions{MachineTimeZone(), {}});
  }
  static bool Read(CxFile& f, GoogleTask& r) { return ReadGoogleTask(f, r); }
  static bool Write(CxFile& f, const GoogleTask& r) { return WriteGoogleTask(f, r); }
  static FixedText<4096>* PassThroughOf(GoogleTask&) { return nullptr; }
};

struct NoteKind {
  using Record = GoogleNote;
  static constexpr const char* kNoun = "note";
  static constexpr const char* kFolder = "notes";
  static constexpr const char* kExtension = ".ics";
  static constexpr const char* kMediaType = "text/calendar; charset=utf-8";

  static bool Parse(const std::string& content, GoogleNote& r, std::string& why) {
    if (ReadNoteICal(content, r)) return true;
    why = "no note in the file";
    return false;
  }
  static std::string Format(const GoogleNote& r, const std::string& uid) {
    GoogleNote stamped(r);
    OleDate now = CxDateTime().Date();
    if (r.Action == 1 || !r.FurtherTimes[0].IsSet()) stamped.FurtherTimes[0] = now;
    stamped.FurtherTimes[1] = now;
    return WriteNoteICal(stamped, uid);
  }
  static bool Read(CxFile& f, GoogleNote& r) { return ReadGoogleNote(f, r); }
  static bool Write(CxFile& f, const GoogleNote& r) { return WriteGoogleNote(f, r); }
  static FixedText<4096>* PassThroughOf(GoogleNote&) { return nullptr; }
};
