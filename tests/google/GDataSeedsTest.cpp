// The seed corpus of the Google data-file fuzzer: one byte for the file kind, then a file made by
// our own writers. The committed seeds must stay what the writers make; run with
// QM_WRITE_GDATA_SEEDS=1 to write them again after a deliberate change of a record layout.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "GoogleDataFiles.h"
#include "google/GoogleContact.h"
#include "google/GoogleEvent.h"
#include "google/GoogleTaskNote.h"

namespace {

template <class Record>
std::string Seed(char kind, const std::vector<Record>& records,
                 bool (*write)(CxFile&, const Record&)) {
  return std::string(1, kind) + DataFileBytes(records, write);
}

std::map<std::string, std::string> Seeds() {
  GoogleContact c;
  c.RecordTag = 1;
  c.FirstName = "Ann";
  c.LastName = "Lee";
  c.EmailType[0] = kGEmailWork;
  c.Email[0] = "ann@work.example";
  c.AddressType[0] = kGAddrHome;
  c.City[0] = "Oslo";
  c.PhoneType[0] = kGPhoneMobile;
  c.Phone[0] = "555-0100";
  c.DateType[0] = kGDateBirthday;
  c.Date[0] = OleDate(30000.0);
  c.Note = "note";

  GoogleEvent e;
  e.Title = "Standup";
  e.Start = OleDate(45292.375);
  e.End = OleDate(45292.385);
  e.CalendarRef = "team";
  e.RecurrenceText =
      "DTSTART;TZID=Europe/Paris:20240101T090000\r\nDTEND;TZID=Europe/Paris:20240101T091500\r\n"
      "RRULE:FREQ=YEARLY;INTERVAL=1;BYMONTH=3;BYMONTHDAY=14;UNTIL=20100501T000000Z";
  GoogleEvent plain;
  plain.Title = "Lunch";
  plain.ReminderCount = 1;
  plain.ReminderAmount[0] = 10;

  GoogleCalendar cal;
  cal.Text1 = "primary";
  cal.TimeZoneId = "America/New_York";

  GoogleTask t;
  t.Title = "Pay";
  t.DueDate = OleDate(45300.0);
  t.Completed = 1;
  GoogleNote n;
  n.Title = "Ideas";
  n.Body = "first\r\nsecond";

  return {
      {"contacts.bin", Seed('\0', std::vector{c, GoogleContact()}, WriteGoogleContact)},
      {"contacts-none.bin", Seed('\0', std::vector<GoogleContact>{}, WriteGoogleContact)},
      {"events.bin", Seed('\1', std::vector{e, plain}, WriteGoogleEvent)},
      {"calendars.bin", Seed('\2', std::vector{cal, GoogleCalendar()}, WriteGoogleCalendar)},
      {"tasks.bin", Seed('\3', std::vector{t}, WriteGoogleTask)},
      {"notes.bin", Seed('\4', std::vector{n}, WriteGoogleNote)},
  };
}

TEST(GDataSeeds, CommittedSeedsAreWhatTheWritersMake) {
  const std::string folder = std::string(QM_TEST_DATA_DIR) + "/../../fuzz/corpus/gdata/";
  const char* rewrite = std::getenv("QM_WRITE_GDATA_SEEDS");
  if (rewrite && std::string(rewrite) == "1") std::filesystem::create_directories(folder);
  for (const auto& [name, bytes] : Seeds()) {
    if (rewrite && std::string(rewrite) == "1") WriteFile(folder + name, bytes);
    EXPECT_EQ(ReadFile(folder + name), bytes) << name;
  }
}

}  // namespace
