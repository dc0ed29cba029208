#include <gtest/gtest.h>
#include <time.h>

#include <functional>
#include <optional>

#include "HelpersTestUtil.h"
#include "gapi/GApiAccount.h"
#include "gapi/GApiAuth.h"
#include "gapi/GEventJson.h"
#include "gapi/GPersonJson.h"
#include "misc/CxDateTime.h"

namespace {

using json = nlohmann::json;

OleDate Date(int y, int m, int d, int h = 0, int mi = 0) {
  SYSTEMTIME st;
  st.wYear = static_cast<std::uint16_t>(y);
  st.wMonth = static_cast<std::uint16_t>(m);
  st.wDay = static_cast<std::uint16_t>(d);
  st.wHour = static_cast<std::uint16_t>(h);
  st.wMinute = static_cast<std::uint16_t>(mi);
  OleDate out;
  CxDateTime::SystemTimeToOleDate(st, out);
  return out;
}

// TZ for one test: set, and back as it was, the C library told both times.
class ZoneScope {
 public:
  explicit ZoneScope(const char* zone) : env_(std::in_place, "TZ", zone) { tzset(); }
  ~ZoneScope() {
    env_.reset();
    tzset();
  }

 private:
  std::optional<ScopedEnv> env_;
};

GPersonGroups Groups() {
  GPersonGroups g;
  for (auto [name, rn] : {std::pair{"Friends", "contactGroups/1a"}, {"Work", "contactGroups/2b"}}) {
    g.nameOf[rn] = name;
    g.resourceOf[name] = rn;
  }
  return g;
}

struct ContactCase {
  const char* name;
  std::function<void(GoogleContact&)> fill;
};

void PrintTo(const ContactCase& c, std::ostream* os) {
  *os << c.name;
}

// Contacts whose slots fill from the front come back field for field.
class PersonRoundTrip : public ::testing::TestWithParam<ContactCase> {};

TEST_P(PersonRoundTrip, EveryFieldComesBack) {
  GoogleContact in;
  GetParam().fill(in);
  GoogleContact out;
  ContactOfPerson(PersonOfContact(in, Groups()), out, Groups());
  ExpectSameFields(in, out);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PersonRoundTrip,
    ::testing::Values(
        ContactCase{
            "every_family",
            [](GoogleContact& c) {
              c.FirstName = "Ann";
              c.MiddleName = "B.";
              c.LastName = "Smith";
              c.NickName = "Annie";
              c.CompanyName = "Acme";
              c.JobTitle = "Buyer";
              c.EmailType = {kGEmailWork, kGEmailHome, kGEmailOther, 0, 0};
              c.Email[0] = "ann@acme.example";
              c.Email[1] = "ann@home.example";
              c.Email[2] = "a@other.example";
              c.PrimaryEmail = "ann@home.example";
              c.PhoneType = {
                  kGPhoneMobile, kGPhoneWorkFax, kGPhonePager, kGPhoneHomeFax, 0, 0, 0, 0, 0, 0};
              c.Phone[0] = "+44 7700 900123";
              c.Phone[1] = "+44 113 496 0000";
              c.Phone[2] = "555";
              c.Phone[3] = "556";
              c.PrimaryPhone = "+44 7700 900123";
              c.AddressType = {kGAddrWork, kGAddrHome, 0, 0, 0};
              c.Street[0] = "1 Mill Lane";
              c.City[0] = "Leeds";
              c.State[0] = "W Yorks";
              c.PostalCode[0] = "LS1 1AA";
              c.Country[0] = "UK";
              c.PoBox[0] = "PO 7";
              c.Neighborhood[0] = "Holbeck";
              c.FormattedAddress[0] = "1 Mill Lane\nLeeds";
              c.City[1] = "York";
              c.WebSiteType = {kGWebHomePage, kGWebBlog, kGWebWork, 0, 0, 0, 0, 0, 0, 0};
              c.WebSite[0] = "https://ann.example";
              c.WebSite[1] = "https://blog.example";
              c.WebSite[2] = "https://acme.example";
              c.PrimaryWebSite = "https://blog.example";
              c.ImType = {kGImSkype, kGImJabber, 0, 0, 0, 0, 0, 0, 0, 0};
              c.Im[0] = "ann.s";
              c.Im[1] = "ann@jabber.example";
              c.PrimaryIm = "ann.s";
              c.DateType = {kGDateBirthday, kGDateAnniversary, kGDateOther, 0, 0};
              c.Date[0] = Date(1980, 2, 29);
              c.Date[1] = Date(2005, 6, 1);
              c.Date[2] = Date(2010, 1, 2);
              c.RelationType[0] = kGRelManager;
              c.Relation[0] = "Bob";
              c.RelationType[1] = kGRelSpouse;
              c.Relation[1] = "Carl";
              c.CustomLabel[0] = "Shoe size";
              c.CustomValue[0] = "42";
              c.CustomLabel[1] = "Key";
              c.Note = "Met at the fair;\nlikes tea. \xc3\xa9t\xc3\xa9";
              c.Groups = "Friends, Work";
            }},
        ContactCase{"primaries_no_slot_holds",
                    [](GoogleContact& c) {
                      c.LastName = "Only";
                      c.PrimaryEmail = "alone@example.com";
                      c.PrimaryPhone = "123";
                      c.PrimaryWebSite = "https://alone.example";
                      c.PrimaryIm = "alone-im";
                    }},
        ContactCase{"codes_the_tables_do_not_know",
                    [](GoogleContact& c) {
                      c.FirstName = "Odd";
                      c.PhoneType[0] = 9;
                      c.Phone[0] = "999";
                      c.WebSiteType[0] = 12;
                      c.WebSite[0] = "x.example";
                      c.RelationType[0] = 20;
                      c.Relation[0] = "Someone";
                      c.DateType[0] = 7;
                      c.Date[0] = Date(2001, 1, 1);
                    }},
        ContactCase{"display_name_alone",
                    [](GoogleContact& c) { c.DisplayName = "Acme Reception"; }},
        ContactCase{"full_families",
                    [](GoogleContact& c) {
                      c.FirstName = "Many";
                      for (std::size_t i = 0; i < GoogleContact::kPhones; ++i) {
                        c.PhoneType[i] = kGPhoneOther;
                        c.Phone[i] = std::to_string(100 + i);
                      }
                      for (std::size_t i = 0; i < GoogleContact::kCustoms; ++i) {
                        c.CustomLabel[i] = "L" + std::to_string(i);
                        c.CustomValue[i] = "V" + std::to_string(i);
                      }
                    }}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(PersonJson, ShapesOfTheDocumentedFields) {
  GoogleContact c;
  c.FirstName = "Ann";
  c.EmailType[0] = kGEmailWork;
  c.Email[0] = "ann@acme.example";
  c.PrimaryEmail = "ann@acme.example";
  c.ImType[0] = kGImGTalk;
  c.Im[0] = "ann@gtalk";
  c.DateType[0] = kGDateBirthday;
  c.Date[0] = Date(1980, 2, 29);
  c.Note = "n";
  c.Groups = "Friends, Unknown group";
  json p = PersonOfContact(c, Groups());
  EXPECT_EQ(
      p["emailAddresses"][0],
      json({{"value", "ann@acme.example"}, {"type", "work"}, {"metadata", {{"primary", true}}}}));
  EXPECT_EQ(p["imClients"][0], json({{"username", "ann@gtalk"}, {"protocol", "googleTalk"}}));
  EXPECT_EQ(p["birthdays"][0]["date"], json({{"year", 1980}, {"month", 2}, {"day", 29}}));
  EXPECT_EQ(p["biographies"][0]["contentType"], "TEXT_PLAIN");
  // Only known groups become memberships; the caller makes missing ones first.
  ASSERT_EQ(p["memberships"].size(), 1u);
  EXPECT_FALSE(p.contains("phoneNumbers"));  // nothing empty is sent
  EXPECT_FALSE(p.contains("addresses"));
}

TEST(PersonJson, ABirthdayWithoutYearIsLeftOutAndSystemGroupsAreNoCategory) {
  json p = {
      {"birthdays", {{{"date", {{"month", 5}, {"day", 4}}}}}},
      {"memberships",
       {{{"contactGroupMembership", {{"contactGroupResourceName", "contactGroups/myContacts"}}}},
        {{"contactGroupMembership", {{"contactGroupResourceName", "contactGroups/2b"}}}}}},
      {"metadata",
       {{"sources", {{{"type", "CONTACT"}, {"updateTime", "2024-05-06T07:08:09.123Z"}}}}}}};
  GoogleContact c;
  ContactOfPerson(p, c, Groups());
  EXPECT_EQ(c.DateType[0], 0);
  EXPECT_EQ(c.Groups.str(), "Work");
  EXPECT_TRUE(c.LastModificationTime.IsSet());
}

TEST(PersonJson, MergeKeepsWhatGoogleHasAndMasksOnlyOurFields) {
  json current = {
      {"resourceName", "people/c1"},
      {"etag", "%e1"},
      {"names", {{{"givenName", "Ann"}, {"familyName", "Old"}, {"metadata", {{"primary", true}}}}}},
      {"emailAddresses",
       {{{"value", "ANN@acme.example"}, {"type", "work"}, {"displayName", "Ann at work"}},
        {{"value", "seventh@x.example"}, {"type", "other"}}}},
      {"phoneNumbers", {{{"value", "1"}, {"type", "home"}}}},
      {"memberships",
       {{{"contactGroupMembership", {{"contactGroupResourceName", "contactGroups/myContacts"}}}}}}};
  GoogleContact c;
  c.FirstName = "Ann";
  c.LastName = "New";
  c.EmailType[0] = kGEmailHome;
  c.Email[0] = "ann@acme.example";
  c.Groups = "Friends";
  std::string fields;
  json merged = MergePerson(current, PersonOfContact(c, Groups()), fields);
  EXPECT_EQ(fields, "emailAddresses,memberships,names");
  EXPECT_EQ(merged["names"][0]["familyName"], "New");
  EXPECT_TRUE(merged["names"][0].contains("metadata"));
  // Our entry over Google's of the same address: its own keys stay; the other address stays.
  ASSERT_EQ(merged["emailAddresses"].size(), 2u);
  EXPECT_EQ(merged["emailAddresses"][0]["type"], "home");
  EXPECT_EQ(merged["emailAddresses"][0]["displayName"], "Ann at work");
  EXPECT_EQ(merged["emailAddresses"][1]["value"], "seventh@x.example");
  // A field we have no value for is neither masked nor touched.
  EXPECT_EQ(merged["phoneNumbers"], current["phoneNumbers"]);
  EXPECT_EQ(merged["memberships"].size(), 2u);
}

// Events come back field for field in a zone with summer time.
struct EventCase {
  const char* name;
  std::function<void(GoogleEvent&)> fill;
};

void PrintTo(const EventCase& c, std::ostream* os) {
  *os << c.name;
}

class EventRoundTrip : public ::testing::TestWithParam<EventCase> {
 protected:
  ZoneScope zone_{"America/New_York"};
};

TEST_P(EventRoundTrip, EveryFieldComesBack) {
  GoogleEvent in;
  GetParam().fill(in);
  GEventOptions o{"America/New_York"};
  json j = EventJsonOf(in, o);
  GoogleEvent out;
  ASSERT_TRUE(EventOfJson(j, out, o)) << j.dump();
  EXPECT_EQ(out.Title.str(), in.Title.str());
  EXPECT_EQ(out.Where.str(), in.Where.str());
  EXPECT_EQ(out.Description.str(), in.Description.str());
  EXPECT_EQ(out.Category.str(), in.Category.str());
  EXPECT_DOUBLE_EQ(out.Start.value, in.Start.value);
  EXPECT_DOUBLE_EQ(out.End.value, in.End.value);
  EXPECT_EQ(out.AllDay, in.AllDay);
  EXPECT_EQ(out.Visibility, in.Visibility);
  EXPECT_EQ(out.EventStatus, in.EventStatus);
  ASSERT_EQ(out.ReminderCount, in.ReminderCount);
  for (std::size_t i = 0; i < static_cast<std::size_t>(in.ReminderCount); ++i) {
    EXPECT_EQ(out.ReminderMethod[i], in.ReminderMethod[i]);
    EXPECT_EQ(out.ReminderAmount[i], in.ReminderAmount[i]);
    EXPECT_EQ(out.ReminderUnit[i], in.ReminderUnit[i]);
  }
  EXPECT_EQ(out.RecurType, in.RecurType);
  EXPECT_EQ(out.HasEnd, in.HasEnd);
  if (in.HasEnd) {
    EXPECT_DOUBLE_EQ(out.PatternEnd.value, in.PatternEnd.value);
  }
  EXPECT_EQ(out.Interval, in.RecurType ? in.Interval : 0);
  EXPECT_EQ(out.DayOfWeekMask, in.DayOfWeekMask);
  EXPECT_EQ(out.DayOfMonth, in.DayOfMonth);
  EXPECT_EQ(out.MonthOfYear, in.MonthOfYear);
  EXPECT_EQ(out.Instance, in.Instance);
  EXPECT_EQ(out.RecurrenceText.empty(), in.RecurType == kRecurNone);
  EXPECT_EQ(ExceptionDatesOf(out.RecurrenceText.view()),
            ExceptionDatesOf(in.RecurrenceText.view()));
}

// The connector's text for a recurring event, with deleted occurrences.
void Deleted(GoogleEvent& e, std::vector<EventDay> days) {
  GoogleCalendar cal;
  cal.TimeZoneId = "America/New_York";
  GRecurrenceZone zone;
  BuildRecurrenceText(e, {cal}, "", zone);
  ExceptionDayList list;
  list.Assign(std::move(days));
  SetExceptionDates(e, list);
}

INSTANTIATE_TEST_SUITE_P(
    Table, EventRoundTrip,
    ::testing::Values(EventCase{"timed_in_summer_time_with_reminders",
                                [](GoogleEvent& e) {
                                  e.Title = "Review";
                                  e.Where = "Room 1";
                                  e.Description = "Bring the \"numbers\"\nand tea";
                                  e.Category = "Business";
                                  e.Start = Date(2026, 7, 1, 9, 30);
                                  e.End = Date(2026, 7, 1, 11, 0);
                                  e.Visibility = 2;
                                  e.EventStatus = 1;
                                  e.ReminderCount = 3;
                                  e.ReminderMethod = {1, 0, 1};
                                  e.ReminderAmount = {15, 2, 1};
                                  e.ReminderUnit = {0, 2, 3};
                                }},
                      EventCase{"all_day_over_three_days",
                                [](GoogleEvent& e) {
                                  e.Title = "Fair";
                                  e.AllDay = 1;
                                  e.Start = Date(2026, 3, 7);
                                  e.End = Date(2026, 3, 10);
                                  e.Visibility = 1;
                                }},
                      EventCase{"weekly_until_across_the_change_to_summer_time",
                                [](GoogleEvent& e) {
                                  e.Title = "Gym";
                                  e.Start = Date(2026, 2, 2, 18, 0);
                                  e.End = Date(2026, 2, 2, 19, 0);
                                  e.RecurType = kRecurWeekly;
                                  e.Interval = 2;
                                  e.DayOfWeekMask = 0x2A;  // Monday, Wednesday, Friday
                                  e.HasEnd = 1;
                                  e.PatternStart = Date(2026, 2, 2);
                                  e.PatternEnd = Date(2026, 6, 29);
                                  Deleted(e, {{2026, 2, 4}, {2026, 3, 9}});
                                }},
                      EventCase{"monthly_second_tuesday_without_end",
                                [](GoogleEvent& e) {
                                  e.Title = "Club";
                                  e.Start = Date(2026, 1, 13, 20, 0);
                                  e.End = Date(2026, 1, 13, 22, 0);
                                  e.RecurType = kRecurMonthlyNth;
                                  e.Interval = 1;
                                  e.DayOfWeekMask = 0x04;
                                  e.Instance = 2;
                                  e.PatternStart = Date(2026, 1, 13);
                                }},
                      EventCase{"yearly_all_day_birthday",
                                [](GoogleEvent& e) {
                                  e.Title = "Birthday";
                                  e.AllDay = 1;
                                  e.Start = Date(2026, 5, 4);
                                  e.End = Date(2026, 5, 5);
                                  e.RecurType = kRecurYearly;
                                  e.Interval = 1;
                                  e.DayOfMonth = 4;
                                  e.MonthOfYear = 5;
                                  e.PatternStart = Date(2026, 5, 4);
                                  Deleted(e, {{2027, 5, 4}});
                                }}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(EventJson, NothingIsSentThatWouldBlankOrRemove) {
  GoogleEvent e;
  e.Start = Date(2026, 7, 1, 9, 0);
  e.End = Date(2026, 7, 1, 10, 0);
  e.EventStatus = 2;  // cancelled in the source: Google would take the event away
  json j = EventJsonOf(e, GEventOptions{"UTC"});
  for (const char* key :
       {"summary", "location", "description", "status", "reminders", "recurrence", "visibility"})
    EXPECT_FALSE(j.contains(key)) << key;
}

TEST(EventJson, TimesWithOffsetsAndFormsThatAreNotTimes) {
  ZoneScope zone("Europe/Berlin");
  struct Row {
    const char* text;
    bool ok;
    int hour;  // local (Berlin) hour
  };
  for (const Row& r :
       {Row{"2026-07-01T10:00:00Z", true, 12}, Row{"2026-07-01T10:00:00+02:00", true, 10},
        Row{"2026-01-01T10:00:00-05:30", true, 16}, Row{"2026-07-01T10:00:00.250Z", true, 12},
        Row{"2026-07-01", true, 0}, Row{"2026-07-01T10:00:00", false, 0},
        Row{"2026-13-01T10:00:00Z", false, 0}, Row{"tomorrow", false, 0}, Row{"", false, 0}}) {
    OleDate d;
    ASSERT_EQ(ParseRfcDateTime(r.text, d), r.ok) << r.text;
    if (!r.ok) continue;
    SYSTEMTIME st;
    CxDateTime::OleDateToSystemTime(d, st);
    EXPECT_EQ(st.wHour, r.hour) << r.text;
  }
  EXPECT_EQ(RfcDateTime(Date(2026, 7, 1, 10, 0)), "2026-07-01T10:00:00+02:00");
  EXPECT_EQ(RfcDateTime(Date(2026, 1, 1, 10, 0)), "2026-01-01T10:00:00+01:00");
}

TEST(EventJson, ImportUidFollowsTheEventNotItsBookkeeping) {
  GoogleEvent a;
  a.Title = "Review";
  a.Start = Date(2026, 7, 1, 9, 0);
  GoogleEvent b = a;
  b.RecordTag = 7;
  b.ChangeState = 2;
  b.FurtherTimes[1] = Date(2026, 1, 1);
  EXPECT_EQ(GApiAccount::ImportUid(a), GApiAccount::ImportUid(b));
  b.Title = "Review!";
  EXPECT_NE(GApiAccount::ImportUid(a), GApiAccount::ImportUid(b));
}

TEST(GApiAuthPieces, PkceChallengeAndLoopbackQuery) {
  // RFC 7636, appendix B.
  EXPECT_EQ(GApiAuth::CodeChallenge("dBjftJeZ4CVP-mB92K27uhbUJU1p1r_wW1gFWFOEjXk"),
            "E9Melhoa2OwvFrEMTJguCHaoeK1t8URWbuGJSstw-cM");
  std::string v = GApiAuth::RandomToken(48);
  EXPECT_EQ(v.size(), 64u);
  EXPECT_EQ(v.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_"),
            std::string::npos);
  auto q = GApiAuth::QueryOf("/?code=4%2F0Ab+c&state=s1&state=s2&scope=a%20b#frag");
  EXPECT_EQ(q["code"], "4/0Ab c");
  EXPECT_EQ(q["state"], "s1");
  EXPECT_EQ(q["scope"], "a b");
  EXPECT_TRUE(GApiAuth::QueryOf("/favicon.ico").empty());
}

TEST(GHttpRetry, WhatIsTriedAgainAndHowLongItWaits) {
  auto answer = [](long status, const char* body) {
    GHttpResponse r;
    r.status = status;
    r.body = body;
    return r;
  };
  EXPECT_TRUE(GHttpClient::Retryable(answer(429, "")));
  EXPECT_TRUE(GHttpClient::Retryable(answer(503, "")));
  EXPECT_TRUE(GHttpClient::Retryable(answer(0, "")));  // no answer at all
  EXPECT_TRUE(GHttpClient::Retryable(
      answer(403, R"({"error":{"errors":[{"reason":"rateLimitExceeded"}],"code":403}})")));
  EXPECT_TRUE(GHttpClient::Retryable(
      answer(403, R"({"error":{"errors":[{"reason":"userRateLimitExceeded"}]}})")));
  EXPECT_FALSE(GHttpClient::Retryable(
      answer(403, R"({"error":{"errors":[{"reason":"forbiddenForNonOrganizer"}]}})")));
  EXPECT_FALSE(
      GHttpClient::Retryable(answer(400, R"({"error":{"status":"FAILED_PRECONDITION"}})")));
  EXPECT_FALSE(GHttpClient::Retryable(answer(412, "")));
  GHttpResponse stopped;
  stopped.error = "stopped";
  EXPECT_FALSE(GHttpClient::Retryable(stopped));

  GApiSettings s;
  s.retryBaseMs = 1000;
  s.maxRetryWaitSec = 60;
  GHttpClient http(s);
  EXPECT_EQ(http.Backoff(1, 7).count(), 7000);
  EXPECT_EQ(http.Backoff(3, 3600).count(), 60000);  // a Retry-After is held to the cap
  for (int attempt = 1; attempt <= 5; ++attempt) {
    long long base = 1000LL << (attempt - 1);
    EXPECT_GE(http.Backoff(attempt, -1).count(), base);
    EXPECT_LE(http.Backoff(attempt, -1).count(), base + 500);
  }
  EXPECT_EQ(http.Backoff(12, -1).count(), 60000);
}

}  // namespace
