#include <gtest/gtest.h>
#include <sys/stat.h>

#include <memory>

#include "GApiStandIn.h"
#include "gapi/GApiAccount.h"
#include "gapi/GApiBackend.h"

namespace {

using json = nlohmann::json;

class GApiServiceTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(standin_.Up()) << "python3 could not start the stand-in"; }

  GApiSettings Settings() const { return standin_.Settings(tokens_.folder()); }

  std::unique_ptr<GApiAccount> Open(const GApiSettings& s, std::string* error = nullptr,
                                    const std::string& email = "ann@example.com") {
    auto account = std::make_unique<GApiAccount>(s);
    account->SetStatus([this](const std::string& line) { host_.statuses.push_back(line); });
    std::string why;
    bool ok = account->Open(email, why);
    if (error) *error = why;
    if (!ok) return nullptr;
    return account;
  }
  std::unique_ptr<GApiAccount> Open() {
    std::string why;
    auto a = Open(Settings(), &why);
    EXPECT_TRUE(a) << why;
    return a;
  }

  template <class Record>
  static std::vector<RecordChange<Record>> Changes(std::vector<Record>& records) {
    std::vector<RecordChange<Record>> out;
    for (Record& r : records) out.push_back(RecordChange<Record>{&r, {}, false, {}});
    return out;
  }

  static std::vector<GoogleContact> NewContacts(std::size_t n, const std::string& stem = "P") {
    std::vector<GoogleContact> out(n);
    for (std::size_t i = 0; i < n; ++i) {
      out[i].FirstName = stem + std::to_string(i);
      out[i].LastName = "Smith";
      out[i].PhoneType[0] = kGPhoneMobile;
      out[i].Phone[0] = std::to_string(7000 + i);
      out[i].Groups = i % 2 ? "Friends" : "Work, Friends";
    }
    return out;
  }

  static std::vector<GoogleEvent> NewEvents(std::size_t n) {
    std::vector<GoogleEvent> out(n);
    for (std::size_t i = 0; i < n; ++i) {
      out[i].Title = "Meeting " + std::to_string(i);
      out[i].Start = OleDate(46000.0 + static_cast<double>(i) + 0.375);
      out[i].End = OleDate(46000.0 + static_cast<double>(i) + 0.4375);
    }
    return out;
  }

  std::vector<std::string> Errors(const auto& changes) {
    std::vector<std::string> out;
    for (const auto& c : changes) {
      if (!c.error.empty()) out.push_back(c.error);
      EXPECT_TRUE(c.done || !c.error.empty());
    }
    return out;
  }

  GApiStandIn standin_;
  TempDir tokens_;
  RecordingHost host_;
};

TEST_F(GApiServiceTest, ConsentOnceThenSilentlyWithTheKeptRefreshToken) {
  ASSERT_TRUE(Open());
  ASSERT_EQ(host_.statuses.size(), 1u);
  EXPECT_EQ(host_.statuses[0], GApiAuth::kWaitingText);
  struct stat st {};
  ASSERT_EQ(::stat(tokens_.file("ann@example.com.token").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(ReadFile(tokens_.file("ann@example.com.token")).find("test-secret"), std::string::npos);

  // No browser now: a consent page would fail the run.
  GApiSettings s = Settings();
  s.browser = "false";
  s.consentTimeoutSec = 1;
  host_.statuses.clear();
  std::string why;
  EXPECT_TRUE(Open(s, &why, "Ann@Example.com")) << why;
  EXPECT_TRUE(host_.statuses.empty());
}

TEST_F(GApiServiceTest, ConsentForAnotherAccountOrNoneIsRefused) {
  standin_.Control({{"consent_email", "bob@example.com"}});
  std::string why;
  EXPECT_FALSE(Open(Settings(), &why));
  EXPECT_NE(why.find("bob@example.com, not for ann@example.com"), std::string::npos) << why;
  EXPECT_FALSE(std::filesystem::exists(tokens_.file("ann@example.com.token")));

  standin_.Control({{"consent_email", ""}, {"deny_consent", true}});
  EXPECT_FALSE(Open(Settings(), &why));
  EXPECT_NE(why.find("refused in the web browser"), std::string::npos) << why;

  GApiSettings s = Settings();
  s.tokenUrl = "http://token.example/token";  // secrets never leave in clear text
  EXPECT_FALSE(Open(s, &why));
  EXPECT_NE(why.find("neither https nor on this machine"), std::string::npos) << why;
}

TEST_F(GApiServiceTest, AnExpiredAccessTokenIsRenewedWithoutAsking) {
  auto account = Open();
  ASSERT_TRUE(account);
  standin_.Call("POST", "/_expire");
  std::vector<LoadedRecord<GoogleContact>> loaded;
  std::string why;
  EXPECT_TRUE(account->LoadContacts(loaded, why)) << why;
  EXPECT_EQ(host_.statuses.size(), 1u);  // the first consent only
}

TEST_F(GApiServiceTest, ContactsGoInBatchesOf200AndComeBackPageByPage) {
  auto account = Open();
  ASSERT_TRUE(account);
  standin_.Control({{"page_size", 7}});
  std::vector<GoogleContact> contacts = NewContacts(450);
  auto changes = Changes(contacts);
  SubmitProgress progress(host_, "contact", changes.size());
  account->AddContacts(changes, progress);
  EXPECT_TRUE(Errors(changes).empty());
  json stats = standin_.Stats();
  EXPECT_EQ(stats["max_batch"], 200);
  EXPECT_EQ(stats["by"]["POST batchCreateContacts"], 3);
  EXPECT_EQ(stats["by"]["POST contactGroups"], 2);  // "Friends" and "Work", once each

  std::vector<LoadedRecord<GoogleContact>> loaded;
  std::string why;
  ASSERT_TRUE(account->LoadContacts(loaded, why)) << why;
  ASSERT_EQ(loaded.size(), 450u);
  EXPECT_EQ(standin_.Stats()["by"]["GET connections"], 65);  // 450 / 7, rounded up
  EXPECT_EQ(loaded[449].record.FirstName.str(), "P449");
  EXPECT_EQ(loaded[0].record.Groups.str(), "Work, Friends");
  EXPECT_EQ(loaded[0].ref.file, changes[0].ref.file);
  EXPECT_EQ(loaded[0].ref.revision, changes[0].ref.revision);
}

TEST_F(GApiServiceTest, RateLimitsAreWaitedOutAndEveryRecordGoesIn) {
  auto account = Open();
  ASSERT_TRUE(account);
  standin_.Control({{"rate_limit_every", 3}});
  std::vector<GoogleContact> contacts = NewContacts(450);
  std::vector<GoogleEvent> events = NewEvents(40);
  auto contactChanges = Changes(contacts);
  auto eventChanges = Changes(events);
  SubmitProgress progress(host_, "record", 490);
  account->AddContacts(contactChanges, progress);
  account->AddEvents(eventChanges, progress);
  EXPECT_TRUE(Errors(contactChanges).empty()) << Errors(contactChanges).front();
  EXPECT_TRUE(Errors(eventChanges).empty());
  json stats = standin_.Stats();
  EXPECT_GT(stats["rate_limited"].get<int>(), 10);
  EXPECT_EQ(stats["people"], 450);
  EXPECT_EQ(stats["events"], 40);
  EXPECT_GE(account->Http().RetryCount(), stats["rate_limited"].get<std::size_t>());
}

TEST_F(GApiServiceTest, AnAddWhoseAnswerIsLostIsNotSentTwice) {
  auto account = Open();
  ASSERT_TRUE(account);
  standin_.Control({{"lose_create_answers", 1}});
  std::vector<GoogleContact> contacts = NewContacts(250);
  auto changes = Changes(contacts);
  SubmitProgress progress(host_, "contact", 250);
  account->AddContacts(changes, progress);
  std::vector<std::string> errors = Errors(changes);
  ASSERT_EQ(errors.size(), 200u);
  EXPECT_NE(errors.front().find("may have added it all the same"), std::string::npos)
      << errors.front();
  EXPECT_EQ(standin_.Stats()["people"], 250);
}

TEST_F(GApiServiceTest, ARecordChangedInGoogleIsReportedAndTheOthersGoThrough) {
  auto account = Open();
  ASSERT_TRUE(account);
  std::vector<GoogleContact> contacts = NewContacts(3);
  std::vector<GoogleEvent> events = NewEvents(3);
  auto cAdd = Changes(contacts);
  auto eAdd = Changes(events);
  SubmitProgress progress(host_, "record", 12);
  account->AddContacts(cAdd, progress);
  account->AddEvents(eAdd, progress);
  standin_.Call("POST", "/_touch", {{"resourceName", cAdd[1].ref.file}});
  standin_.Call("POST", "/_touch", {{"eventId", eAdd[2].ref.file}});

  for (std::size_t i = 0; i < 3; ++i) {
    contacts[i].JobTitle = "Buyer";
    events[i].Where = "Room " + std::to_string(i);
  }
  auto cUpd = Changes(contacts);
  auto eUpd = Changes(events);
  for (std::size_t i = 0; i < 3; ++i) {
    cUpd[i].ref = cAdd[i].ref;
    eUpd[i].ref = eAdd[i].ref;
  }
  account->UpdateContacts(cUpd, progress);
  account->UpdateEvents(eUpd, progress);
  auto cErr = Errors(cUpd);
  auto eErr = Errors(eUpd);
  ASSERT_EQ(cErr.size(), 1u);
  EXPECT_EQ(cErr[0],
            "The contact \"P1 Smith\" was not updated in Google: it was changed in Google since it "
            "was loaded; load again to see the change");
  ASSERT_EQ(eErr.size(), 1u);
  EXPECT_NE(eErr[0].find("\"Meeting 2\" was not updated"), std::string::npos) << eErr[0];
  json dump = standin_.Dump();
  EXPECT_EQ(dump["people"][0]["organizations"][0]["title"], "Buyer");
  EXPECT_FALSE(dump["people"][1].contains("organizations"));
  // Events go in several at a time: found by id, not by place.
  auto event = [&](std::size_t i) {
    for (const json& e : dump["events"])
      if (e["id"] == eAdd[i].ref.file) return e;
    return json();
  };
  EXPECT_EQ(event(1)["location"], "Room 1");
  EXPECT_FALSE(event(2).contains("location"));
}

TEST_F(GApiServiceTest, AnUpdateNeverBlanksWhatGoogleHas) {
  auto account = Open();
  ASSERT_TRUE(account);
  standin_.Call("POST", "/_seed",
                {{"people",
                  {{{"names", {{{"givenName", "Cy"}}}},
                    {"phoneNumbers", {{{"value", "111"}, {"type", "home"}}}},
                    {"emailAddresses", {{{"value", "cy@a.example"}}, {{"value", "cy@b.example"}}}},
                    {"biographies", {{{"value", "Old note"}}}}}}}});
  std::vector<LoadedRecord<GoogleContact>> loaded;
  std::string why;
  ASSERT_TRUE(account->LoadContacts(loaded, why)) << why;
  ASSERT_EQ(loaded.size(), 1u);
  GoogleContact c = loaded[0].record;
  c.PhoneType = {};
  c.Phone = {};
  c.Note = "";
  c.EmailType = {kGEmailWork, 0, 0, 0, 0};
  c.Email = {};
  c.Email[0] = "cy@c.example";
  c.JobTitle = "Cook";
  std::vector<RecordChange<GoogleContact>> upd{{&c, loaded[0].ref, false, {}}};
  SubmitProgress progress(host_, "contact", 1);
  account->UpdateContacts(upd, progress);
  ASSERT_TRUE(upd[0].done) << upd[0].error;
  json p = standin_.Dump()["people"][0];
  EXPECT_EQ(p["phoneNumbers"][0]["value"], "111");
  EXPECT_EQ(p["biographies"][0]["value"], "Old note");
  EXPECT_EQ(p["emailAddresses"].size(), 3u);
  EXPECT_EQ(p["organizations"][0]["title"], "Cook");
}

TEST_F(GApiServiceTest, AnEventAddedTwiceIsOneEventAndABadContactFailsAlone) {
  auto account = Open();
  ASSERT_TRUE(account);
  std::vector<GoogleEvent> events = NewEvents(2);
  SubmitProgress progress(host_, "record", 9);
  for (int run = 0; run < 2; ++run) {
    auto add = Changes(events);
    account->AddEvents(add, progress);
    EXPECT_TRUE(Errors(add).empty());
  }
  EXPECT_EQ(standin_.Stats()["events"], 2);
  // Two alike in one run are two, in that run and the next.
  std::vector<GoogleEvent> twins = {events[0], events[0]};
  twins[0].Title = twins[1].Title = "Twin";
  for (int run = 0; run < 2; ++run) {
    auto add = Changes(twins);
    account->AddEvents(add, progress);
  }
  EXPECT_EQ(standin_.Stats()["events"], 4);

  standin_.Control({{"fail_given_name", "Bad2"}});
  std::vector<GoogleContact> contacts = NewContacts(5, "Bad");
  auto add = Changes(contacts);
  account->AddContacts(add, progress);
  auto errors = Errors(add);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find("\"Bad2 Smith\" was not added to Google: HTTP 400"), std::string::npos)
      << errors[0];
  EXPECT_EQ(standin_.Stats()["people"], 4);
}

TEST_F(GApiServiceTest, ARunOutOfTimeSendsNothingMoreAndSaysWhy) {
  ASSERT_TRUE(Open());  // the consent, outside the limit
  GApiSettings s = Settings();
  s.runLimitSec = 3;
  const auto start = std::chrono::steady_clock::now();
  std::string why;
  auto account = Open(s, &why);  // silent
  ASSERT_TRUE(account) << why;
  account->SetWarning([this](const std::string& text) { host_.warnings.push_back(text); });
  std::this_thread::sleep_until(start + std::chrono::milliseconds(3100));
  std::vector<GoogleEvent> events = NewEvents(5);
  auto add = Changes(events);
  SubmitProgress progress(host_, "event", 5);
  account->AddEvents(add, progress);
  for (const auto& c : add) EXPECT_TRUE(!c.done && c.error.empty());  // left for the next run
  EXPECT_EQ(standin_.Stats()["events"], 0);
  ASSERT_EQ(host_.warnings.size(), 1u);
  EXPECT_NE(host_.warnings[0].find("saved when the migration runs again"), std::string::npos);
}

TEST_F(GApiServiceTest, TheCalendarAndItsEventsLoadWithTheirZoneAndRule) {
  auto account = Open();
  ASSERT_TRUE(account);
  standin_.Control({{"time_zone", "Asia/Tokyo"}, {"page_size", 2}});
  standin_.Call(
      "POST", "/_seed",
      {{"events",
        {{{"summary", "Weekly"},
          {"start", {{"dateTime", "2026-01-05T09:00:00+09:00"}, {"timeZone", "Asia/Tokyo"}}},
          {"end", {{"dateTime", "2026-01-05T10:00:00+09:00"}}},
          {"recurrence", {"RRULE:FREQ=WEEKLY;BYDAY=MO,TH", "EXDATE:20260112T000000Z"}}},
         {{"summary", "Moved once"},
          {"recurringEventId", "abc"},
          {"start", {{"dateTime", "2026-01-06T09:00:00Z"}}},
          {"end", {{"dateTime", "2026-01-06T10:00:00Z"}}}},
         {{"summary", "Holiday"},
          {"start", {{"date", "2026-05-01"}}},
          {"end", {{"date", "2026-05-02"}}}}}}});
  GoogleCalendar cal;
  std::string why;
  ASSERT_TRUE(account->LoadCalendar(cal, why)) << why;
  EXPECT_EQ(cal.TimeZoneId.str(), "Asia/Tokyo");
  EXPECT_EQ(cal.Text2.str(), "ann@example.com");
  std::vector<LoadedRecord<GoogleEvent>> loaded;
  ASSERT_TRUE(account->LoadEvents(loaded, why)) << why;
  ASSERT_EQ(loaded.size(), 2u);  // the changed occurrence stays with its series
  EXPECT_EQ(loaded[0].record.RecurType, kRecurWeekly);
  EXPECT_EQ(loaded[0].record.DayOfWeekMask, 0x12);
  EXPECT_EQ(loaded[1].record.AllDay, 1);

  // A changed rule keeps the series' other lines; an unchanged one is not sent.
  GoogleEvent e = loaded[0].record;
  e.Interval = 2;
  std::vector<RecordChange<GoogleEvent>> upd{{&e, loaded[0].ref, false, {}}};
  SubmitProgress progress(host_, "event", 1);
  account->UpdateEvents(upd, progress);
  ASSERT_TRUE(upd[0].done) << upd[0].error;
  json rec = standin_.Dump()["events"][0]["recurrence"];
  ASSERT_EQ(rec.size(), 2u);
  EXPECT_NE(rec[0].get<std::string>().find("INTERVAL=2"), std::string::npos);
  EXPECT_EQ(rec[1], "EXDATE:20260112T000000Z");

  // The same rule with other deleted days: ours replace the series' days, none doubled.
  ExceptionDayList days;
  days.Assign({{2026, 1, 19}});
  SetExceptionDates(e, days);
  upd[0].done = false;
  SubmitProgress again(host_, "event", 1);
  account->UpdateEvents(upd, again);
  ASSERT_TRUE(upd[0].done) << upd[0].error;
  rec = standin_.Dump()["events"][0]["recurrence"];
  ASSERT_EQ(rec.size(), 2u) << rec.dump();
  EXPECT_NE(rec[1].get<std::string>().find("20260119"), std::string::npos) << rec.dump();
}

}  // namespace
