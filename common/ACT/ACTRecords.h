#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "misc/CxFile.h"
#include "misc/FixedText.h"
#include "misc/WinTypes.h"

// The records of the ACT! helpers' data files ("ACTAddr.dat", "ACTDate.dat", "ACTTask.dat",
// "ACTNote.dat"): an int32 count, then the records. Every record starts with the change mark
// (2: added or changed by the program since the load) and the action (1 add, 2 update).
enum ACTChangeMark : std::int32_t { kACTChanged = 2 };

// Value types of the contact field table.
enum ACTFieldType : std::uint32_t { kACTFieldText = 1, kACTFieldBool = 3, kACTFieldDate = 6 };

// One row of the contact field table; the table's order is the contact record's file order.
// `size` is the in-memory width: a text holds size - 1 bytes.
struct ACTContactField {
  std::uint32_t id;
  char label[32];
  std::uint32_t type;
  std::uint32_t size;
};

inline constexpr std::size_t kACTContactFieldCount = 89;

// Ids 1..89 in order: row i holds id i + 1.
inline constexpr std::array<ACTContactField, kACTContactFieldCount> kACTContactFields = {{
    {1, "Record ID", kACTFieldText, 64},
    {2, "Record Creator", kACTFieldText, 32},
    {3, "Last Edited By", kACTFieldText, 32},
    {4, "Record Manager", kACTFieldText, 32},
    {5, "Category", kACTFieldText, 256},
    {6, "Name Prefix", kACTFieldText, 32},
    {7, "Name Suffix", kACTFieldText, 32},
    {8, "First Name", kACTFieldText, 32},
    {9, "Middle Name", kACTFieldText, 32},
    {10, "Last Name", kACTFieldText, 32},
    {11, "Full Name", kACTFieldText, 32},
    {12, "Salutation", kACTFieldText, 32},
    {13, "Referred By", kACTFieldText, 32},
    {14, "Company", kACTFieldText, 64},
    {15, "Department", kACTFieldText, 32},
    {16, "Title", kACTFieldText, 32},
    {17, "Business Country", kACTFieldText, 32},
    {18, "Business State", kACTFieldText, 32},
    {19, "Business City", kACTFieldText, 32},
    {20, "Business Address 1", kACTFieldText, 256},
    {21, "Business Address 2", kACTFieldText, 256},
    {22, "Business Address 3", kACTFieldText, 256},
    {23, "Business Postal", kACTFieldText, 16},
    {24, "Home Country", kACTFieldText, 32},
    {25, "Home State", kACTFieldText, 32},
    {26, "Home City", kACTFieldText, 32},
    {27, "Home Address 1", kACTFieldText, 256},
    {28, "Home Address 2", kACTFieldText, 256},
    {29, "Home Address 3", kACTFieldText, 256},
    {30, "Home Postal", kACTFieldText, 16},
    {31, "Business Phone", kACTFieldText, 24},
    {32, "Home Phone", kACTFieldText, 24},
    {33, "Mobile Phone", kACTFieldText, 24},
    {34, "Pager", kACTFieldText, 24},
    {35, "Fax", kACTFieldText, 24},
    {36, "Alternate Phone", kACTFieldText, 24},
    {37, "Fax Extension", kACTFieldText, 24},
    {38, "Pager Extension", kACTFieldText, 24},
    {39, "Business Phone Extension", kACTFieldText, 24},
    {40, "Home Phone Extension", kACTFieldText, 24},
    {41, "Mobile Phone Extension", kACTFieldText, 24},
    {42, "Alternate Phone Extension", kACTFieldText, 24},
    {43, "Business E-mail", kACTFieldText, 64},
    {44, "Personal E-mail", kACTFieldText, 64},
    {45, "Website", kACTFieldText, 256},
    {46, "Instant Messenger", kACTFieldText, 64},
    {47, "Spouse Name", kACTFieldText, 32},
    {48, "User Defined 1", kACTFieldText, 64},
    {49, "User Defined 2", kACTFieldText, 64},
    {50, "User Defined 3", kACTFieldText, 64},
    {51, "User Defined 4", kACTFieldText, 64},
    {52, "User Defined 5", kACTFieldText, 64},
    {53, "User Defined 6", kACTFieldText, 64},
    {54, "User Defined 7", kACTFieldText, 64},
    {55, "User Defined 8", kACTFieldText, 64},
    {56, "User Defined 9", kACTFieldText, 64},
    {57, "User Defined 10", kACTFieldText, 64},
    {58, "Last Results", kACTFieldText, 64},
    {59, "Is User", kACTFieldBool, 1},
    {60, "Is Imported", kACTFieldBool, 1},
    {61, "Is Private", kACTFieldBool, 1},
    {62, "Birthday", kACTFieldDate, 8},
    {63, "Create Date", kACTFieldDate, 8},
    {64, "Edit Date", kACTFieldDate, 8},
    {65, "Last Attempt", kACTFieldDate, 8},
    {66, "Last E-mail", kACTFieldDate, 8},
    {67, "Last Meeting", kACTFieldDate, 8},
    {68, "Last Reach", kACTFieldDate, 8},
    {69, "Last Letter", kACTFieldDate, 8},
    {70, "Secondary First Name", kACTFieldText, 32},
    {71, "Secondary Last Name", kACTFieldText, 32},
    {72, "Secondary Contact", kACTFieldText, 32},
    {73, "Secondary Company", kACTFieldText, 64},
    {74, "Secondary Title", kACTFieldText, 32},
    {75, "Secondary Country", kACTFieldText, 32},
    {76, "Secondary State", kACTFieldText, 32},
    {77, "Secondary City", kACTFieldText, 32},
    {78, "Secondary Address 1", kACTFieldText, 256},
    {79, "Secondary Address 2", kACTFieldText, 256},
    {80, "Secondary Address 3", kACTFieldText, 256},
    {81, "Secondary Postal", kACTFieldText, 16},
    {82, "Secondary Phone", kACTFieldText, 24},
    {83, "Secondary Mobile Phone", kACTFieldText, 24},
    {84, "Secondary Fax", kACTFieldText, 24},
    {85, "Secondary Phone Extension", kACTFieldText, 24},
    {86, "Secondary E-mail", kACTFieldText, 64},
    {87, "Secondary Website", kACTFieldText, 256},
    {88, "Secondary Category", kACTFieldText, 256},
    {89, "Secondary Is Private", kACTFieldBool, 1},
}};

// The ids the conversions name.
enum ACTContactFieldId : std::uint32_t {
  kACTRecordId = 1,
  kACTCategory = 5,
  kACTFirstName = 8,
  kACTMiddleName = 9,
  kACTLastName = 10,
  kACTFullName = 11,
  kACTSalutation = 12,
  kACTCompany = 14,
  kACTDepartment = 15,
  kACTTitle = 16,
  kACTBusinessCountry = 17,
  kACTBusinessState = 18,
  kACTBusinessCity = 19,
  kACTBusinessAddress1 = 20,
  kACTBusinessPostal = 23,
  kACTHomeCountry = 24,
  kACTHomeState = 25,
  kACTHomeCity = 26,
  kACTHomeAddress1 = 27,
  kACTHomePostal = 30,
  kACTBusinessPhone = 31,
  kACTHomePhone = 32,
  kACTMobilePhone = 33,
  kACTPager = 34,
  kACTFax = 35,
  kACTFaxExtension = 37,
  kACTPagerExtension = 38,
  kACTBusinessPhoneExtension = 39,
  kACTHomePhoneExtension = 40,
  kACTMobilePhoneExtension = 41,
  kACTBusinessEmail = 43,
  kACTPersonalEmail = 44,
  kACTWebsite = 45,
  kACTInstantMessenger = 46,
  kACTSpouseName = 47,
  kACTUserDefined1 = 48,
  kACTIsUser = 59,
  kACTIsImported = 60,
  kACTIsPrivate = 61,
  kACTBirthday = 62,
  kACTCreateDate = 63,
  kACTEditDate = 64,
  kACTSecondaryCountry = 75,
  kACTSecondaryState = 76,
  kACTSecondaryCity = 77,
  kACTSecondaryAddress1 = 78,
  kACTSecondaryPostal = 81,
};

// The row of an id; null outside 1..89.
const ACTContactField* FindACTField(std::uint32_t id);
// The label of an id; "N/A" outside the table.
const char* ACTFieldLabel(std::uint32_t id);

// How many fields of a type the table has, and the position of an id among the fields of its type.
constexpr std::size_t ACTFieldCountOf(std::uint32_t type) {
  std::size_t n = 0;
  for (const ACTContactField& f : kACTContactFields) n += f.type == type ? 1u : 0u;
  return n;
}
// The position of every id among the fields of its type, counted once.
inline constexpr std::array<std::uint8_t, kACTContactFieldCount> kACTFieldSlots = [] {
  std::array<std::uint8_t, kACTContactFieldCount> slots{};
  std::array<std::uint8_t, 8> next{};
  for (std::size_t i = 0; i < kACTContactFieldCount; ++i)
    slots[i] = next[kACTContactFields[i].type]++;
  return slots;
}();
constexpr std::size_t ACTFieldSlotOf(std::uint32_t id) {
  return kACTFieldSlots[id - 1];
}

// An ACT! contact: the change mark, the action and the 89 fields of the table. Each value lives
// in the store of its type, so an empty text costs a pointer.
class ACTContactRecord {
 public:
  std::int32_t ChangeMark = 0;
  std::int32_t Action = 0;

  // Empty (false, no date) for an id outside the table or of another type.
  std::string_view Text(std::uint32_t id) const;
  bool Flag(std::uint32_t id) const;
  OleDate Date(std::uint32_t id) const;
  // A text is cut to the field's width less one, at a whole character. Ids of another type
  // are ignored.
  void SetText(std::uint32_t id, std::string_view text);
  void SetFlag(std::uint32_t id, bool value);
  void SetDate(std::uint32_t id, OleDate value);

 private:
  std::array<TextStorage, ACTFieldCountOf(kACTFieldText)> texts_;
  std::array<std::uint8_t, ACTFieldCountOf(kACTFieldBool)> flags_{};
  std::array<OleDate, ACTFieldCountOf(kACTFieldDate)> dates_{};
};

// An ACT! activity (calendar event).
class ACTEventRecord {
 public:
  std::int32_t ChangeMark = 0;
  std::int32_t Action = 0;
  FixedText<64> Id;
  FixedText<256> Subject;
  FixedText<256> Location;
  FixedText<8192> Body;
  std::int32_t EventKind = 0;  // 0..3
  OleDate Start;               // local time
  OleDate End;
  std::array<OleDate, 2> Dates{};  // creation and edit time in our helpers; not converted
  std::int32_t Reserved = 0;       // not converted
  std::int32_t PatternValue = 0;
  std::int32_t PatternForm = 0;
  std::int32_t Interval = 0;
  std::int32_t Instance = 0;
  std::int32_t Month = 0;
  std::int32_t RecurKind = 0;  // 0 none, 1 daily, 2 weekly, 3 monthly, 4 yearly
  OleDate PatternEnd;
  bool Flag = false;  // private
  bool AllDay = false;

  template <class R, class V>
  static void VisitFileFields(R& r, V&& v) {
    v("ChangeMark", r.ChangeMark);
    v("Action", r.Action);
    v("Id", r.Id);
    v("Subject", r.Subject);
    v("Location", r.Location);
    v("Body", r.Body);
    v("EventKind", r.EventKind);
    v("Start", r.Start);
    v("End", r.End);
    v("Created", r.Dates[0]);
    v("Edited", r.Dates[1]);
    v("Reserved", r.Reserved);
    v("PatternValue", r.PatternValue);
    v("PatternForm", r.PatternForm);
    v("Interval", r.Interval);
    v("Instance", r.Instance);
    v("Month", r.Month);
    v("RecurKind", r.RecurKind);
    v("PatternEnd", r.PatternEnd);
    v("Flag", r.Flag);
    v("AllDay", r.AllDay);
  }
};

// An ACT! to-do, or (from our helpers, when asked for) an opportunity or one of its notes.
class ACTTaskRecord {
 public:
  std::int32_t ChangeMark = 0;
  std::int32_t Action = 0;
  FixedText<64> Id;
  FixedText<256> Subject;
  FixedText<256> Regarding;  // not converted: what the record is (to-do, opportunity, ...)
  FixedText<8192> Body;
  std::array<OleDate, 2> Dates{};          // creation and edit time in our helpers; not converted
  std::int32_t Priority = 0;               // 0 high, 2 low, anything else normal
  std::array<std::int32_t, 6> Reserved{};  // written as 0
  OleDate CompletedDate;                   // not converted
  bool Flag = false;                       // private
  OleDate DueDate;
  bool Complete = false;

  template <class R, class V>
  static void VisitFileFields(R& r, V&& v) {
    v("ChangeMark", r.ChangeMark);
    v("Action", r.Action);
    v("Id", r.Id);
    v("Subject", r.Subject);
    v("Regarding", r.Regarding);
    v("Body", r.Body);
    v("Created", r.Dates[0]);
    v("Edited", r.Dates[1]);
    v("Priority", r.Priority);
    for (auto& n : r.Reserved) v("Reserved", n);
    v("CompletedDate", r.CompletedDate);
    v("Flag", r.Flag);
    v("DueDate", r.DueDate);
    v("Complete", r.Complete);
  }
};

// An ACT! note.
class ACTNoteRecord {
 public:
  std::int32_t ChangeMark = 0;
  std::int32_t Action = 0;
  std::array<FixedText<64>, 4> Texts;  // id, contact, author, kind in our helpers; not converted
  FixedText<8192> Body;
  bool Flag = false;               // private; not converted
  std::array<OleDate, 2> Times{};  // creation and edit time

  template <class R, class V>
  static void VisitFileFields(R& r, V&& v) {
    v("ChangeMark", r.ChangeMark);
    v("Action", r.Action);
    v("Id", r.Texts[0]);
    v("Contact", r.Texts[1]);
    v("Author", r.Texts[2]);
    v("Kind", r.Texts[3]);
    v("Body", r.Body);
    v("Flag", r.Flag);
    v("Created", r.Times[0]);
    v("Edited", r.Times[1]);
  }
};

// One record of a data file, field by field. False when the file ends early or a length lies.
bool ReadACTContact(CxFile& file, ACTContactRecord& record);
bool WriteACTContact(CxFile& file, const ACTContactRecord& record);
bool ReadACTEvent(CxFile& file, ACTEventRecord& record);
bool WriteACTEvent(CxFile& file, const ACTEventRecord& record);
bool ReadACTTask(CxFile& file, ACTTaskRecord& record);
bool WriteACTTask(CxFile& file, const ACTTaskRecord& record);
bool ReadACTNote(CxFile& file, ACTNoteRecord& record);
bool WriteACTNote(CxFile& file, const ACTNoteRecord& record);
