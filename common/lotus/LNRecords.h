#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "misc/CommonContact.h"
#include "misc/CommonEvent.h"
#include "misc/CommonNote.h"
#include "misc/CommonTask.h"
#include "misc/CxFile.h"
#include "misc/FixedText.h"
#include "misc/WinTypes.h"

// The records of the Lotus Notes data files ("LNAddr.dat", "LNDate.dat", "LNTask.dat",
// "LNNote.dat"). Each lists its fields once, in file order, with their names
// (VisitFields(record, v) calls v(name, field)); the data file, the helpers' documents and
// `dump --native` all walk that one list. Texts of the file arrive cut to their width minus one.

// The two marks every record starts with.
enum LNChangeMark : std::int32_t { kLNChanged = 2 };

class LNContactRecord {
 public:
  static constexpr std::size_t kUserFields = 10;

  std::int32_t ChangeMark = 0;
  std::int32_t Action = 0;
  FixedText<64> Id;
  FixedText<64> FirstName;
  FixedText<64> MiddleName;
  FixedText<64> LastName;
  FixedText<64> Suffix;
  FixedText<256> DisplayName;
  FixedText<64> CompanyName;
  FixedText<64> Department;
  FixedText<64> JobTitle;
  FixedText<256> Location;
  FixedText<64> AssistantName;
  FixedText<64> ManagerName;
  FixedText<128> BusinessEmail;
  FixedText<128> PersonalEmail;
  FixedText<128> AssistantPhone;  // carries the third e-mail address
  FixedText<128> BusinessEmail2;
  FixedText<128> PersonalEmail2;
  FixedText<256> BusinessStreet;
  FixedText<32> BusinessCity;
  FixedText<32> BusinessState;
  FixedText<32> BusinessCountry;
  FixedText<32> BusinessPostal;
  FixedText<256> HomeStreet;
  FixedText<32> HomeCity;
  FixedText<32> HomeState;
  FixedText<32> HomeCountry;
  FixedText<32> HomePostal;
  FixedText<256> OtherStreet;
  FixedText<32> OtherCity;
  FixedText<32> OtherState;
  FixedText<32> OtherCountry;
  FixedText<32> OtherPostal;
  FixedText<32> PrimaryPhone;
  FixedText<32> BusinessPhone;
  FixedText<32> HomePhone;
  FixedText<32> MobilePhone;
  FixedText<32> BusinessFax;
  FixedText<32> HomeFax;
  FixedText<32> Pager;
  FixedText<64> InstantMessenger;
  FixedText<256> WebSite;
  FixedText<256> BlogSite;
  FixedText<64> SpouseName;
  FixedText<256> ChildrenNames;
  FixedText<4096> Note;
  FixedText<256> Category;
  std::array<FixedText<256>, kUserFields> UserValue;
  std::array<FixedText<64>, kUserFields> UserLabel;
  OleDate BirthDate;
  OleDate Anniversary;

  // The names of ids 1 to 44, 51 to 54 are the labels of the contact field table.
  template <class Self, class V>
  static void VisitFields(Self& r, V&& v) {
    v("Change Mark", r.ChangeMark);
    v("Action", r.Action);
    v("ID", r.Id);
    v("First Name", r.FirstName);
    v("Middle Name / Initial", r.MiddleName);
    v("Last Name", r.LastName);
    v("Suffix", r.Suffix);
    v("Display Name", r.DisplayName);
    v("Company Name", r.CompanyName);
    v("Department", r.Department);
    v("Job Title", r.JobTitle);
    v("Location", r.Location);
    v("Assistant Name", r.AssistantName);
    v("Manager Name", r.ManagerName);
    v("Business Email", r.BusinessEmail);
    v("Personal Email", r.PersonalEmail);
    v("Assistant Phone", r.AssistantPhone);
    v("Business Email 2", r.BusinessEmail2);
    v("Personal Email 2", r.PersonalEmail2);
    v("Business Street", r.BusinessStreet);
    v("Business City", r.BusinessCity);
    v("Business State", r.BusinessState);
    v("Business Country", r.BusinessCountry);
    v("Business Postal", r.BusinessPostal);
    v("Home Street", r.HomeStreet);
    v("Home City", r.HomeCity);
    v("Home State", r.HomeState);
    v("Home Country", r.HomeCountry);
    v("Home Postal", r.HomePostal);
    v("Other Street", r.OtherStreet);
    v("Other City", r.OtherCity);
    v("Other State", r.OtherState);
    v("Other Country", r.OtherCountry);
    v("Other Postal", r.OtherPostal);
    v("Primary Phone", r.PrimaryPhone);
    v("Business Phone", r.BusinessPhone);
    v("Home Phone", r.HomePhone);
    v("Mobile Phone", r.MobilePhone);
    v("Business Fax", r.BusinessFax);
    v("Home Fax", r.HomeFax);
    v("Pager", r.Pager);
    v("Instant Messenger", r.InstantMessenger);
    v("Web Site", r.WebSite);
    v("Blog Site", r.BlogSite);
    v("Spouse Name", r.SpouseName);
    v("Children's Names", r.ChildrenNames);
    v("Note", r.Note);
    v("Category", r.Category);
    v("User Field Values", r.UserValue);
    v("User Field Labels", r.UserLabel);
    v("Birth Date", r.BirthDate);
    v("Anniversary", r.Anniversary);
  }
};

class LNEventRecord {
 public:
  static constexpr std::size_t kStart = 4;  // in Dates
  static constexpr std::size_t kEnd = 5;

  std::int32_t ChangeMark = 0;
  std::int32_t Action = 0;
  FixedText<64> Id;
  FixedText<256> Subject;
  FixedText<256> Location;
  FixedText<20480> Body;
  FixedText<10> RepeatFlag;
  FixedText<256> Chair;
  FixedText<64> AppointmentType;
  FixedText<70> TimeZone;
  std::array<OleDate, 6> Dates{};
  FixedText<10> RepeatUnit;
  FixedText<10> RepeatInterval;
  FixedText<10> RepeatAdjust;
  FixedText<10> RepeatReserved;
  OleDate RepeatStart;
  FixedText<16> RepeatSpanUnit;
  OleDate RepeatEnd;
  FixedText<10> RepeatSpanUnit2;
  std::int32_t RepeatKind = 0;
  FixedText<16> RepeatHow;
  OleDate RepeatStart2;
  FixedText<10> RepeatWeekends;
  FixedText<10> RepeatCustom;
  bool Flag = false;

  template <class Self, class V>
  static void VisitFields(Self& r, V&& v) {
    v("Change Mark", r.ChangeMark);
    v("Action", r.Action);
    v("ID", r.Id);
    v("Subject", r.Subject);
    v("Location", r.Location);
    v("Body", r.Body);
    v("Repeats", r.RepeatFlag);
    v("Chair", r.Chair);
    v("Appointment Type", r.AppointmentType);
    v("Time Zone", r.TimeZone);
    v("Dates", r.Dates);
    v("Repeat Unit", r.RepeatUnit);
    v("Repeat Interval", r.RepeatInterval);
    v("Repeat Adjust", r.RepeatAdjust);
    v("Repeat Reserved", r.RepeatReserved);
    v("Repeat Start Date", r.RepeatStart);
    v("Repeat Span Unit", r.RepeatSpanUnit);
    v("Repeat Until", r.RepeatEnd);
    v("Repeat Span Unit 2", r.RepeatSpanUnit2);
    v("Repeat Kind", r.RepeatKind);
    v("Repeat How", r.RepeatHow);
    v("Repeat Start Date 2", r.RepeatStart2);
    v("Repeat Weekends", r.RepeatWeekends);
    v("Repeat Custom", r.RepeatCustom);
    v("Private", r.Flag);
  }
};

class LNTaskRecord {
 public:
  std::int32_t ChangeMark = 0;
  std::int32_t Action = 0;
  FixedText<64> Id;
  FixedText<256> Subject;
  FixedText<8192> Body;
  FixedText<256> Categories;
  FixedText<256> AssignedTo;
  std::int32_t Priority = 0;  // 0 high, 1 normal, 2 low
  bool Flag = false;
  FixedText<36> TaskState;
  OleDate DueDate;
  OleDate StartDate;
  OleDate CompletedDate;
  std::int32_t ReminderSet = 0;
  std::int32_t ReminderMinutes = 0;
  FixedText<16> TaskType;
  FixedText<256> From;
  FixedText<256> Chair;
  std::int32_t Repeats = 0;
  FixedText<256> Extra;

  template <class Self, class V>
  static void VisitFields(Self& r, V&& v) {
    v("Change Mark", r.ChangeMark);
    v("Action", r.Action);
    v("ID", r.Id);
    v("Subject", r.Subject);
    v("Body", r.Body);
    v("Categories", r.Categories);
    v("Assigned To", r.AssignedTo);
    v("Priority", r.Priority);
    v("Private", r.Flag);
    v("Task State", r.TaskState);
    v("Due Date", r.DueDate);
    v("Start Date", r.StartDate);
    v("Completed Date", r.CompletedDate);
    v("Reminder Set", r.ReminderSet);
    v("Reminder Minutes", r.ReminderMinutes);
    v("Task Type", r.TaskType);
    v("From", r.From);
    v("Chair", r.Chair);
    v("Repeats", r.Repeats);
    v("Extra", r.Extra);
  }
};

class LNNoteRecord {
 public:
  std::int32_t ChangeMark = 0;
  std::int32_t Action = 0;
  FixedText<64> Id;
  FixedText<256> Title;
  FixedText<8192> Body;
  FixedText<256> Categories;
  std::int32_t Kind = 0;
  std::array<OleDate, 3> Dates{};

  template <class Self, class V>
  static void VisitFields(Self& r, V&& v) {
    v("Change Mark", r.ChangeMark);
    v("Action", r.Action);
    v("ID", r.Id);
    v("Title", r.Title);
    v("Body", r.Body);
    v("Categories", r.Categories);
    v("Kind", r.Kind);
    v("Dates", r.Dates);
  }
};

// Reads and writes one field of each kind the records hold.
struct LNFieldReader {
  CxFile& file;
  bool ok = true;
  void operator()(const char*, std::int32_t& v) { ok = ok && file.ReadInt32(v); }
  void operator()(const char*, bool& v) { ok = ok && file.ReadBool32(v); }
  void operator()(const char*, OleDate& v) { ok = ok && file.ReadDouble(v.value); }
  template <std::size_t N>
  void operator()(const char*, FixedText<N>& v) {
    ok = ok && file.ReadText(v);
  }
  template <class T, std::size_t N>
  void operator()(const char* name, std::array<T, N>& a) {
    for (T& e : a) (*this)(name, e);
  }
};

struct LNFieldWriter {
  CxFile& file;
  bool ok = true;
  void operator()(const char*, const std::int32_t& v) { ok = ok && file.WriteInt32(v); }
  void operator()(const char*, const bool& v) { ok = ok && file.WriteBool32(v); }
  void operator()(const char*, const OleDate& v) { ok = ok && file.WriteDouble(v.value); }
  template <std::size_t N>
  void operator()(const char*, const FixedText<N>& v) {
    ok = ok && file.WriteText(v.view());
  }
  template <class T, std::size_t N>
  void operator()(const char* name, const std::array<T, N>& a) {
    for (const T& e : a) (*this)(name, e);
  }
};

// One record of a data file, field by field: false when the file ends early or a length lies.
template <class Record>
bool ReadLNRecord(CxFile& file, Record& record) {
  record = Record();
  LNFieldReader r{file};
  Record::VisitFields(record, r);
  return r.ok && !file.Failed();
}
template <class Record>
bool WriteLNRecord(CxFile& file, const Record& record) {
  LNFieldWriter w{file};
  Record::VisitFields(record, w);
  return w.ok;
}

// The Lotus Notes contact field table: {id, label, type, size}, 54 rows, ids 1 to 54.
enum LNFieldType : std::uint32_t { kLNFieldText = 1, kLNFieldDate = 6 };
struct LNFieldCode {
  std::uint32_t id;
  char label[32];
  std::uint32_t type;
  std::uint32_t size;
};
extern const std::array<LNFieldCode, 54> kLNFieldCodes;
const LNFieldCode* FindLNField(std::uint32_t id);
// The label of an id, "N/A" outside the table.
const char* LNFieldLabel(std::uint32_t id);
// The text field an id names; null for a date, for ids 45 to 50 and outside the table.
const TextStorage* LNTextField(const LNContactRecord& record, std::uint32_t id);

// The custom field map of the Notes contacts: slot (0 to 9) -> field id, 0 for none. One map for
// the process; a slot outside 0 to 9 is refused.
bool SetLNCustomField(int slot, std::uint32_t id);
std::uint32_t LNCustomField(int slot);

// The conversions. The ...ToCommon ones start from an empty common record; the CommonTo... ones
// write into `native` (the loaded record on an update: fields they do not write survive).
void LNToCommon(const LNContactRecord& native, CommonContact& common);
void CommonToLN(const CommonContact& common, LNContactRecord& native);
void LNToCommon(const LNEventRecord& native, CommonEvent& common);
void CommonToLN(const CommonEvent& common, LNEventRecord& native);
// A completion date later than `now` (local time) is not complete yet.
void LNToCommon(const LNTaskRecord& native, CommonTask& common, OleDate now);
void CommonToLN(const CommonTask& common, LNTaskRecord& native);
void LNToCommon(const LNNoteRecord& native, CommonNote& common);
void CommonToLN(const CommonNote& common, LNNoteRecord& native);

// Notes priority <-> the common importance (0 normal, 1 high, 2 low).
std::int32_t LNPriorityToImportance(std::int32_t priority);
std::int32_t ImportanceToLNPriority(std::int32_t importance);
// The review page's word for a Notes priority: "High", "Normal" or "Low".
const char* LNPriorityWord(std::int32_t priority);
