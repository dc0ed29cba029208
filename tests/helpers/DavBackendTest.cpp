// The CardDAV/CalDAV back end against a real Radicale server of the test's own.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <thread>

#include "ContactCard.h"
#include "HelpersTestUtil.h"
#include "ICalCard.h"
#include "RadicaleServer.h"
#include "dav/DavBackend.h"

namespace {

class TestHost : public BackendHost {
 public:
  bool StopRequested() override { return stopAfter >= 0 && progressed >= stopAfter; }
  void Status(const std::string& line) override { lastStatus = line; }
  void Progress(const char* verb, const char* noun, std::size_t i, std::size_t n) override {
    ++progressed;
    lastStatus =
        std::string(verb) + " " + noun + " " + std::to_string(i) + " of " + std::to_string(n);
  }
  void Warning(const std::string& text) override { warnings.push_back(text); }

  int stopAfter = -1;
  int progressed = 0;
  std::string lastStatus;
  std::vector<std::string> warnings;
};

class DavBackendTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    server_ = new RadicaleServer;
    absent_ = server_->Absent();
    if (!server_->Start(why_)) {
      delete server_;
      server_ = nullptr;
    }
  }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }
  void SetUp() override {
    if (!server_ && absent_) GTEST_SKIP() << why_;
    ASSERT_TRUE(server_) << why_;
  }

  // A back end logged in as a user of its own (user1 ...), so tests never share collections.
  std::unique_ptr<DavAccountBackend> Account(const std::string& url = {},
                                             const std::string& password = "secret") {
    AccountSettings s;
    s.email = "user" + std::to_string(++users_) + "@example.com";
    s.backend = "dav";
    s.Set("Url", url.empty() ? server_->Url() : url);
    s.Set("User", "user" + std::to_string(users_));
    auto account = std::make_unique<DavAccountBackend>(s);
    std::string error;
    EXPECT_TRUE(account->Open(s.email, password, error)) << error;
    return account;
  }

  template <class Record>
  static std::vector<RecordChange<Record>> Changes(std::vector<Record>& records) {
    std::vector<RecordChange<Record>> out;
    for (Record& r : records) out.push_back({&r, {}, false, {}});
    return out;
  }

  template <class Record>
  std::vector<LoadedRecord<Record>> LoadAll(RecordBackend<Record>& backend) {
    std::vector<LoadedRecord<Record>> out;
    std::string error;
    EXPECT_TRUE(backend.LoadAll(out, error)) << error;
    return out;
  }

  TestHost host_;
  static RadicaleServer* server_;
  static std::string why_;
  static int users_;
  static bool absent_;
};

RadicaleServer* DavBackendTest::server_ = nullptr;
std::string DavBackendTest::why_;
int DavBackendTest::users_ = 0;
bool DavBackendTest::absent_ = false;

GoogleContact Contact(int i) {
  GoogleContact c;
  c.ChangeState = 2;
  c.Action = 1;
  c.FirstName = "Zoë " + std::to_string(i);
  c.LastName = "Smith, Jr; the " + std::to_string(i) + "th";
  c.DisplayName = c.FirstName.str() + " " + c.LastName.str();
  c.CompanyName = i % 3 ? "Ünïcode & Co" : "";
  c.EmailType[0] = kGEmailWork;
  c.Email[0] = "p" + std::to_string(i) + "@work.example";
  c.PrimaryEmail = c.Email[0];
  c.AddressType[0] = kGAddrHome;
  c.Street[0] = std::to_string(i) + " Long Road\nFlat 2";
  c.City[0] = "Leeds";
  c.PostalCode[0] = "LS1 " + std::to_string(i);
  c.PhoneType[0] = kGPhoneMobile;
  c.Phone[0] = "+44 7700 9" + std::to_string(10000 + i);
  c.PrimaryPhone = c.Phone[0];
  c.DateType[0] = kGDateBirthday;
  c.Date[0] = OleDate(20000.0 + i);
  c.CustomLabel[0] = "Shoe size";
  c.CustomValue[0] = std::to_string(30 + i % 15);
  c.Note = "Line one;\nline two, with \\ a backslash " + std::to_string(i);
  c.Groups = i % 2 ? "Friends" : "";
  return c;
}

// The vCard text a contact gives, its helper-kept fields set aside: equal texts, equal contacts.
std::string CardOf(GoogleContact c) {
  c.RecordTag = c.ChangeState = c.Action = 0;
  c.PassThrough = "";
  c.CreationTime = c.LastModificationTime = OleDate();
  return WriteContactCard(c, "x");
}

GoogleEvent Event(int i) {
  GoogleEvent e;
  e.ChangeState = 2;
  e.Action = 1;
  e.Title = "Meeting " + std::to_string(i) + ": plans, budget; more";
  e.Where = "Room " + std::to_string(i);
  e.Start = OleDate(46000.0 + i + 0.375);
  e.End = OleDate(46000.0 + i + 0.4375);
  e.ReminderCount = 1;
  e.ReminderMethod = {1, 0, 0};
  e.ReminderAmount = {15, 0, 0};
  e.Description = "Agenda:\n1. things; 2. more, things " + std::to_string(i);
  e.Category = "Work";
  if (i % 4 == 0) {
    e.RecurType = kRecurWeekly;
    e.Interval = 1;
    e.DayOfWeekMask = kMaskMonday;
    e.PatternStart = OleDate(46000.0 + i);
  }
  return e;
}

std::string EventTextOf(GoogleEvent e) {
  e.RecordTag = e.ChangeState = e.Action = 0;
  e.EventLink = "";
  e.CalendarRef = "";
  e.RecurrenceText = "";
  e.FurtherTimes = {};
  std::string text = WriteEventICal(e, "x", ICalOptions{"UTC", "o@example.com"});
  // The writer stamps the time of writing.
  std::size_t stamp = text.find("DTSTAMP:");
  if (stamp != std::string::npos) text.erase(stamp, text.find('\n', stamp) + 1 - stamp);
  return text;
}

TEST_F(DavBackendTest, WrongPasswordsAndUnknownUsersAreRefused) {
  for (const auto& [user, password] : std::vector<std::pair<std::string, std::string>>{
           {"ann", "wrong"}, {"nobody", "secret"}, {"ann", ""}}) {
    AccountSettings s;
    s.email = user + "@example.com";
    s.backend = "dav";
    s.Set("Url", server_->Url());
    s.Set("User", user);
    DavAccountBackend account(s);
    std::string error;
    EXPECT_FALSE(account.Open(s.email, password, error)) << user;
    EXPECT_EQ(error, LocalAccount::kBadLogin);
  }
  AccountSettings s;
  s.email = "ann@example.com";
  s.backend = "dav";
  s.Set("Url", "http://127.0.0.1:1/");
  DavAccountBackend account(s);
  std::string error;
  EXPECT_FALSE(account.Open(s.email, "secret", error));
  EXPECT_NE(error.find("cannot be reached"), std::string::npos) << error;
}

TEST_F(DavBackendTest, DiscoveryFindsTheSameBookFromEveryStartingAddress) {
  auto first = Account();
  std::string book, error;
  ASSERT_TRUE(first->CollectionFor("", book, error)) << error;  // made on first use
  const std::string user = "user" + std::to_string(users_);
  for (const std::string& start : {server_->Url(), server_->Url() + user + "/",
                                   server_->Url() + ".well-known/carddav", book}) {
    AccountSettings s;
    s.email = user + "@example.com";
    s.backend = "dav";
    s.Set("Url", start);
    s.Set("User", user);
    DavAccountBackend again(s);
    std::string found;
    ASSERT_TRUE(again.Open(s.email, "secret", error)) << error;
    ASSERT_TRUE(again.CollectionFor("", found, error)) << start << ": " << error;
    EXPECT_EQ(found, book) << start;
  }
  std::string calendar;
  ASSERT_TRUE(first->CollectionFor("VEVENT", calendar, error)) << error;
  EXPECT_NE(calendar, book);
}

TEST_F(DavBackendTest, TwoHundredContactsComeBackByContent) {
  auto account = Account();
  auto contacts = account->Contacts(host_);
  std::vector<GoogleContact> sent;
  for (int i = 0; i < 200; ++i) sent.push_back(Contact(i));
  auto changes = Changes(sent);
  SubmitProgress progress(host_, "contact", changes.size());
  contacts->Add(changes, progress);
  contacts->Finish();
  for (const auto& c : changes) {
    EXPECT_TRUE(c.done) << c.error;
    EXPECT_FALSE(c.ref.revision.empty());
  }
  EXPECT_EQ(host_.lastStatus, "Saving contact 200 of 200");

  std::map<std::string, std::string> want;
  for (const auto& c : changes) want[c.ref.uid] = CardOf(*c.record);
  auto loaded = LoadAll(*contacts);
  ASSERT_EQ(loaded.size(), 200u);
  for (const auto& l : loaded) {
    ASSERT_TRUE(want.count(l.ref.uid)) << l.ref.file;
    EXPECT_EQ(CardOf(l.record), want[l.ref.uid]) << l.ref.file;
  }
  EXPECT_TRUE(host_.warnings.empty());
}

TEST_F(DavBackendTest, TwoHundredEventsComeBackByContent) {
  auto account = Account();
  auto events = account->Events(host_);
  std::vector<GoogleEvent> sent;
  for (int i = 0; i < 200; ++i) sent.push_back(Event(i));
  auto changes = Changes(sent);
  SubmitProgress progress(host_, "event", changes.size());
  events->Add(changes, progress);
  std::map<std::string, std::string> want;
  for (const auto& c : changes) {
    EXPECT_TRUE(c.done) << c.error;
    want[c.ref.uid] = EventTextOf(*c.record);
  }
  // A task in the same calendar is another kind's and is not an event.
  auto tasks = account->Tasks(host_);
  std::vector<GoogleTask> task(1);
  task[0].Title = "Not an event";
  auto taskChanges = Changes(task);
  tasks->Add(taskChanges, progress);
  ASSERT_TRUE(taskChanges[0].done) << taskChanges[0].error;

  auto loaded = LoadAll(*events);
  ASSERT_EQ(loaded.size(), 200u);
  for (const auto& l : loaded) EXPECT_EQ(EventTextOf(l.record), want[l.ref.uid]) << l.ref.file;
  EXPECT_EQ(LoadAll(*tasks).size(), 1u);
  EXPECT_TRUE(host_.warnings.empty());
}

TEST_F(DavBackendTest, UpdatesReplaceOnlyTheRevisionLoadedAndTheOthersGoOn) {
  auto account = Account();
  auto contacts = account->Contacts(host_);
  std::vector<GoogleContact> sent{Contact(1), Contact(2), Contact(3)};
  auto adds = Changes(sent);
  SubmitProgress p1(host_, "contact", 3);
  contacts->Add(adds, p1);
  auto loaded = LoadAll(*contacts);
  ASSERT_EQ(loaded.size(), 3u);

  // Someone else changes the second one on the server after our load.
  std::vector<GoogleContact> theirs{loaded[1].record};
  theirs[0].JobTitle = "Changed elsewhere";
  std::vector<RecordChange<GoogleContact>> other{{&theirs[0], loaded[1].ref, false, {}}};
  SubmitProgress p2(host_, "contact", 1);
  contacts->Update(other, p2);
  ASSERT_TRUE(other[0].done) << other[0].error;

  std::vector<GoogleContact> ours{loaded[0].record, loaded[1].record};
  ours[0].JobTitle = "Ours";
  ours[1].JobTitle = "Ours too";
  std::vector<RecordChange<GoogleContact>> updates{{&ours[0], loaded[0].ref, false, {}},
                                                   {&ours[1], loaded[1].ref, false, {}}};
  SubmitProgress p3(host_, "contact", 2);
  contacts->Update(updates, p3);
  EXPECT_TRUE(updates[0].done) << updates[0].error;
  EXPECT_FALSE(updates[1].done);
  EXPECT_NE(updates[1].error.find("changed on the server"), std::string::npos) << updates[1].error;

  auto again = LoadAll(*contacts);
  ASSERT_EQ(again.size(), 3u);  // updated in place: nothing added, nothing lost
  std::map<std::string, std::string> titles;
  for (const auto& l : again) titles[l.ref.file] = l.record.JobTitle.str();
  EXPECT_EQ(titles[loaded[0].ref.file], "Ours");
  EXPECT_EQ(titles[loaded[1].ref.file], "Changed elsewhere");
  EXPECT_EQ(titles[loaded[2].ref.file], "");
}

TEST_F(DavBackendTest, AnUpdateKeepsTheServersPhotoAndAGoneRecordIsNotAddedAgain) {
  auto account = Account();
  std::string book, error;
  ASSERT_TRUE(account->CollectionFor("", book, error)) << error;
  // A card another program wrote, with a photo we have no field for.
  DavReply put = account->Http().Send(
      {"PUT",
       book + "other.vcf",
       "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:other-1\r\nFN:Ann Other\r\nN:Other;Ann;;;\r\n"
       "PHOTO;ENCODING=b;TYPE=PNG:iVBORw0KGgo=\r\nEND:VCARD\r\n",
       "text/vcard",
       {"If-None-Match: *"}});
  ASSERT_EQ(put.status, 201);
  auto contacts = account->Contacts(host_);
  auto loaded = LoadAll(*contacts);
  ASSERT_EQ(loaded.size(), 1u);
  EXPECT_EQ(loaded[0].ref.uid, "other-1");
  std::vector<GoogleContact> ours{loaded[0].record, loaded[0].record};
  ours[0].JobTitle = "Pilot";
  std::vector<RecordChange<GoogleContact>> changes{
      {&ours[0], loaded[0].ref, false, {}},
      {&ours[1], PassThrough{loaded[0].ref.file + "x", "\"1\"", "gone"}, false, {}}};
  changes[1].ref.file = DecodedPath(book) + "gone.vcf";
  SubmitProgress p(host_, "contact", 2);
  contacts->Update(changes, p);
  ASSERT_TRUE(changes[0].done) << changes[0].error;
  EXPECT_NE(changes[1].error.find("no longer on the server"), std::string::npos)
      << changes[1].error;
  DavReply now = account->Http().Send({"GET", book + "other.vcf", {}, {}, {}});
  EXPECT_NE(now.body.find("TITLE:Pilot"), std::string::npos) << now.body;
  EXPECT_NE(now.body.find("iVBORw0KGgo="), std::string::npos) << now.body;
  EXPECT_NE(now.body.find("UID:other-1"), std::string::npos) << now.body;
  EXPECT_EQ(LoadAll(*contacts).size(), 1u);
}

TEST_F(DavBackendTest, ARefOutsideTheBookAddsInsteadOfReplacing) {
  auto account = Account();
  auto contacts = account->Contacts(host_);
  std::vector<GoogleContact> sent{Contact(1)};
  std::vector<RecordChange<GoogleContact>> c{
      {&sent[0], PassThrough{"/user1/../bob/x.vcf", "\"1\"", "u"}, false, {}}};
  SubmitProgress p(host_, "contact", 1);
  contacts->Update(c, p);
  ASSERT_TRUE(c[0].done) << c[0].error;
  EXPECT_EQ(c[0].ref.file.find(".."), std::string::npos);
  EXPECT_EQ(LoadAll(*contacts).size(), 1u);
}

TEST_F(DavBackendTest, AStopLeavesTheRestUnsentAndUnreported) {
  auto account = Account();
  auto contacts = account->Contacts(host_);
  std::vector<GoogleContact> sent;
  for (int i = 0; i < 30; ++i) sent.push_back(Contact(i));
  auto changes = Changes(sent);
  host_.stopAfter = 5;
  SubmitProgress p(host_, "contact", changes.size());
  contacts->Add(changes, p);
  std::size_t done = 0, failed = 0;
  for (const auto& c : changes) (c.done ? done : failed) += c.done || !c.error.empty() ? 1 : 0;
  EXPECT_GE(done, 5u);
  EXPECT_LT(done, 30u);
  EXPECT_EQ(failed, 0u);
  host_.stopAfter = -1;
  EXPECT_EQ(LoadAll(*contacts).size(), done);
}

// A server that answers each connection with the next scripted reply and keeps what it was sent.
class ScriptedServer {
 public:
  explicit ScriptedServer(std::vector<std::string> replies) : replies_(std::move(replies)) {
    fd_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    listen(fd_, 8);
    getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(a.sin_port);
    thread_ = std::thread([this] {
      for (const std::string& reply : replies_) {
        int c = accept(fd_, nullptr, nullptr);
        if (c < 0) return;
        std::string got;
        char buf[4096];
        // The head, then as much body as it announces.
        while (got.find("\r\n\r\n") == std::string::npos) {
          ssize_t n = read(c, buf, sizeof buf);
          if (n <= 0) break;
          got.append(buf, static_cast<std::size_t>(n));
        }
        std::size_t length = 0, at = got.find("Content-Length: ");
        if (at != std::string::npos) length = std::stoul(got.substr(at + 16));
        while (got.size() < got.find("\r\n\r\n") + 4 + length) {
          ssize_t n = read(c, buf, sizeof buf);
          if (n <= 0) break;
          got.append(buf, static_cast<std::size_t>(n));
        }
        requests.push_back(got);
        (void)!write(c, reply.data(), reply.size());
        close(c);
      }
    });
  }
  ~ScriptedServer() {
    shutdown(fd_, SHUT_RDWR);
    close(fd_);
    thread_.join();
  }
  std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }

  std::vector<std::string> requests;

 private:
  std::vector<std::string> replies_;
  int fd_ = -1;
  int port_ = 0;
  std::thread thread_;
};

TEST(DavHttpTest, ABusyServerIsAskedAgainAfterItsPauseAndNothingWaitsForContinue) {
  const std::string busy =
      "HTTP/1.1 503 Busy\r\nRetry-After: 2\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
  const std::string slow =
      "HTTP/1.1 429 Slow down\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
  const std::string made =
      "HTTP/1.1 201 Created\r\nETag: \"e2\"\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
  ScriptedServer server({busy, slow, made});
  DavHttp http(DavConnection{"ann", "secret", {}, true});
  http.SetPauseScale(0.01);
  std::string body(4000, 'x');  // large enough for curl to want a "100 Continue"
  DavReply r = http.Send({"PUT", server.Url() + "a.vcf", body, "text/vcard", {"If-None-Match: *"}});
  EXPECT_EQ(r.status, 201);
  EXPECT_EQ(r.etag, "\"e2\"");
  ASSERT_EQ(server.requests.size(), 3u);
  for (const std::string& q : server.requests) {
    EXPECT_EQ(q.find("Expect:"), std::string::npos) << q;
    EXPECT_NE(q.find("If-None-Match: *"), std::string::npos) << q;
    EXPECT_NE(q.find("Authorization: Basic YW5uOnNlY3JldA=="), std::string::npos) << q;
    EXPECT_EQ(q.substr(q.size() - 4000), body);
  }
}

TEST(DavHttpTest, ABusyServerIsGivenUpOnWithinBounds) {
  const std::string busy =
      "HTTP/1.1 503 Busy\r\nRetry-After: 100\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
  ScriptedServer server(std::vector<std::string>(3, busy));
  DavHttp http(DavConnection{"ann", "secret", {}, true});
  http.SetPauseScale(0.001);
  DavReply r = http.Send({"PROPFIND", server.Url(), "<x/>", "application/xml", {"Depth: 0"}});
  // 60 s at most per pause and 120 s in all: two more tries, then the 503 stands.
  EXPECT_EQ(r.status, 503);
  EXPECT_EQ(server.requests.size(), 3u);
}

// Over https the certificate is always checked: one the system does not trust is refused with
// the reason, and CaFile= makes it trusted for that account only.
TEST(DavTlsTest, AnUntrustedCertificateIsRefusedAndCaFileTrustsIt) {
  RadicaleServer server;
  std::string why;
  if (!server.Start(why, true)) {
    if (server.Absent() || why.find("openssl is not installed") != std::string::npos)
      GTEST_SKIP() << why;
    FAIL() << why;
  }
  AccountSettings s;
  s.email = "ann@example.com";
  s.backend = "dav";
  s.Set("Url", server.Url());
  s.Set("User", "ann");
  std::string error;
  EXPECT_FALSE(DavAccountBackend(s).Open(s.email, "secret", error));
  EXPECT_NE(error.find("certificate is not trusted"), std::string::npos) << error;
  EXPECT_NE(error.find("--ca-file"), std::string::npos) << error;

  s.Set("CaFile", server.CertFile());
  DavAccountBackend account(s);
  ASSERT_TRUE(account.Open(s.email, "secret", error)) << error;
  TestHost host;
  auto contacts = account.Contacts(host);
  std::vector<GoogleContact> records = {Contact(1), Contact(2)};
  std::vector<RecordChange<GoogleContact>> add;
  for (GoogleContact& r : records) add.push_back({&r, {}, false, {}});
  SubmitProgress progress(host, "contact", add.size());
  contacts->Add(add, progress);
  std::vector<LoadedRecord<GoogleContact>> loaded;
  ASSERT_TRUE(contacts->LoadAll(loaded, error)) << error;
  EXPECT_EQ(loaded.size(), 2u);
}

// A server modelled by its rate of answers with k requests in flight; the window's size after
// enough answers to settle.
std::size_t SettledSize(DavWindow window, double (*rate)(std::size_t)) {
  auto at = std::chrono::steady_clock::time_point{};
  window.Begin();
  for (int i = 0; i < 2000; ++i) {
    at += std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        std::chrono::duration<double>(1.0 / rate(window.Size())));
    window.Answered(at);
  }
  return window.Size();
}

TEST(DavWindowTest, GrowsOnlyWhileTheServerAnswersFaster) {
  struct Case {
    const char* server;
    double (*rate)(std::size_t);
    std::size_t settled;
  };
  for (const Case& c : {
           Case{"one write at a time", [](std::size_t) { return 30.0; }, 1},
           Case{"one at a time, slower with a queue",
                [](std::size_t k) { return 30.0 / (1 + 0.05 * static_cast<double>(k - 1)); }, 1},
           Case{"a little faster with two", [](std::size_t k) { return k > 1 ? 33.0 : 30.0; }, 1},
           Case{"three workers",
                [](std::size_t k) {
                  return 30.0 * static_cast<double>(std::min<std::size_t>(k, 3));
                },
                4},
           Case{"far away", [](std::size_t k) { return 5.0 * static_cast<double>(k); }, 8},
       })
    EXPECT_EQ(SettledSize(DavWindow::Found(8), c.rate), c.settled) << c.server;
  EXPECT_EQ(SettledSize(DavWindow::Fixed(3), [](std::size_t k) { return 5.0 * k; }), 3u);
  EXPECT_EQ(SettledSize(DavWindow::Found(1), [](std::size_t k) { return 5.0 * k; }), 1u);
}

TEST(DavTextTest, UidsAndComponentsAreFoundInFoldedAndMixedTexts) {
  EXPECT_EQ(FindUid("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:abc\r\n def\r\nEND:VCARD\r\n"), "abcdef");
  EXPECT_EQ(FindUid("BEGIN:VCARD\nuid;VALUE=text:x-1\nEND:VCARD\n"), "x-1");
  EXPECT_EQ(FindUid("BEGIN:VCARD\nUIDX:no\nEND:VCARD\n"), "");
  EXPECT_TRUE(HoldsComponent("BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\n", "VEVENT"));
  EXPECT_FALSE(HoldsComponent("BEGIN:VCALENDAR\r\nBEGIN:VEVENTX\r\n", "VEVENT"));
  EXPECT_FALSE(HoldsComponent("BEGIN:VCALENDAR\r\nBEGIN:VTODO\r\n", "VEVENT"));
  EXPECT_TRUE(HoldsComponent("BEGIN:VCARD\r\n", ""));
}

TEST(DavTextTest, AnUpdateKeepsWhatOurWriterNeverWrites) {
  const std::string ours = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ann\r\nNOTE:new\r\nEND:VCARD\r\n";
  const std::string theirs =
      "BEGIN:VCARD\nVERSION:3.0\nFN:Old\nNOTE:old\nPHOTO;ENCODING=b;TYPE=JPEG:AAAA\n BBBB\n"
      "item1.X-ABLabel:mine\nX-SOCIALPROFILE;TYPE=x:ann\nEND:VCARD\n";
  EXPECT_EQ(KeepForeignParts(ours, theirs, "VCARD"),
            "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ann\r\nNOTE:new\r\n"
            "PHOTO;ENCODING=b;TYPE=JPEG:AAAA\r\n BBBB\r\nX-SOCIALPROFILE;TYPE=x:ann\r\n"
            "END:VCARD\r\n");

  const std::string event =
      "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nUID:u\r\nSUMMARY:new\r\nEND:VEVENT\r\n"
      "END:VCALENDAR\r\n";
  const std::string server =
      "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nUID:u\r\nSUMMARY:old\r\n"
      "ATTENDEE;CN=Bob:mailto:bob@example.com\r\nEXDATE:20260105T090000Z\r\n"
      "BEGIN:VALARM\r\nATTENDEE:mailto:alarm@example.com\r\nEND:VALARM\r\nEND:VEVENT\r\n"
      "BEGIN:VEVENT\r\nUID:u\r\nRECURRENCE-ID:20260112T090000Z\r\nSUMMARY:moved\r\n"
      "END:VEVENT\r\nEND:VCALENDAR\r\n";
  EXPECT_EQ(KeepForeignParts(event, server, "VEVENT"),
            "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nUID:u\r\nSUMMARY:new\r\n"
            "ATTENDEE;CN=Bob:mailto:bob@example.com\r\n"
            "END:VEVENT\r\nBEGIN:VEVENT\r\nUID:u\r\nRECURRENCE-ID:20260112T090000Z\r\n"
            "SUMMARY:moved\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
  // Nothing foreign: ours unchanged.
  EXPECT_EQ(KeepForeignParts(ours, ours, "VCARD"), ours);
  // Deleted occurrences are ours to write: the server's copy neither doubles nor revives them.
  const std::string withDays =
      "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nUID:u\r\nEXDATE:20260112T090000Z\r\nEND:VEVENT\r\n"
      "END:VCALENDAR\r\n";
  EXPECT_EQ(KeepForeignParts(withDays, server, "VEVENT").find("20260105"), std::string::npos);
}

TEST(DavTextTest, MultistatusIsReadByNamespaceNotPrefix) {
  const char* xml =
      "<?xml version='1.0'?><x:multistatus xmlns:x='DAV:' xmlns:c='urn:ietf:params:xml:ns:carddav'>"
      "<x:response><x:href>/a/b%20c.vcf</x:href><x:propstat><x:prop><x:getetag>\"e1\"</x:getetag>"
      "<c:address-data>BEGIN:VCARD&#13;\nEND:VCARD</c:address-data></x:prop>"
      "<x:status>HTTP/1.1 200 OK</x:status></x:propstat>"
      "<x:propstat><x:prop><x:displayname/></x:prop><x:status>HTTP/1.1 404 Not Found</x:status>"
      "</x:propstat></x:response>"
      "<x:response><x:href>/a/gone.vcf</x:href><x:status>HTTP/1.1 404 Not Found</x:status>"
      "</x:response></x:multistatus>";
  std::vector<DavEntry> entries;
  std::string error;
  ASSERT_TRUE(ParseMultistatus(xml, entries, error)) << error;
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].etag, "\"e1\"");
  EXPECT_EQ(entries[0].data, "BEGIN:VCARD\r\nEND:VCARD");
  EXPECT_EQ(entries[0].status, 200);
  EXPECT_EQ(DecodedPath("http://h:1" + entries[0].href), "/a/b c.vcf");
  EXPECT_EQ(entries[1].status, 404);
  for (const char* bad : {"", "<html/>", "<x:multistatus xmlns:x='DAV:'>", "\xff\xfe<a",
                          "<!DOCTYPE a [<!ENTITY e SYSTEM 'file:///etc/passwd'>]>"
                          "<multistatus xmlns='DAV:'><response><href>&e;</href></response>"
                          "</multistatus>"}) {
    entries.clear();
    bool ok = ParseMultistatus(bad, entries, error);
    for (const DavEntry& e : entries) EXPECT_EQ(e.href.find("root:"), std::string::npos);
    (void)ok;
  }
}

}  // namespace
