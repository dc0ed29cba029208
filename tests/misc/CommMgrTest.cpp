#include <gtest/gtest.h>

#include <random>

#include "json/RecordGen.h"
#include "misc/CommAddrMgr.h"
#include "misc/CommDateMgr.h"
#include "misc/CommNoteMgr.h"
#include "misc/CommTaskMgr.h"

namespace {

struct Answer {
  int result;
  std::int32_t position;
  const void* counterpart;
  bool operator==(const Answer&) const = default;
};

template <class Mgr>
Answer Indexed(const Mgr& m, const typename Mgr::Record* r) {
  const typename Mgr::Record* c = nullptr;
  std::int32_t pos = -7;
  int res = m.Lookup(r, &c, &pos);
  return {res, pos, c};
}

template <class Mgr>
Answer Linear(const Mgr& m, const typename Mgr::Record* r) {
  const typename Mgr::Record* c = nullptr;
  std::int32_t pos = -7;
  int res = m.LookupLinear(r, &c, &pos);
  return {res, pos, c};
}

// Every lookup of `probes` in `target` must give the scan's answer, bit for bit.
template <class Mgr, class Records>
void ExpectIndexMatchesScan(Mgr& target, const Records& probes) {
  int same = 0, diff = 0, fresh = 0;
  for (const auto& p : probes) {
    Answer a = Indexed(target, &p);
    ASSERT_EQ(a, Linear(target, &p));
    (a.result == kLookupSame ? same : a.result == kLookupDiff ? diff : fresh)++;
  }
  // The data must exercise all three outcomes, or the comparison proves little.
  EXPECT_GT(same, 0);
  EXPECT_GT(diff, 0);
  EXPECT_GT(fresh, 0);
}

template <class Mgr, class Gen>
void RunDifferential(Gen gen, std::uint32_t seed) {
  Mgr target;
  auto stored = gen(3000, RecordGenOptions{seed, 5, 600});
  for (const auto& r : stored) target.Add(&r);
  auto probes = gen(3000, RecordGenOptions{seed + 1000, 5, 600});
  ExpectIndexMatchesScan(target, probes);
  // Records of the manager itself: the scan meets them (or an equal one) by identity.
  for (std::uint32_t i = 0; i < target.Count(); i += 7) {
    auto* own = target.Peek(static_cast<std::int32_t>(i));
    ASSERT_EQ(Indexed(target, own), Linear(target, own));
  }
}

TEST(CommMgrIndex, ContactsAgreeWithScan) {
  for (std::uint32_t seed : {1u, 2u, 3u}) RunDifferential<CommAddrMgr>(GenerateContacts, seed);
}
TEST(CommMgrIndex, EventsAgreeWithScan) {
  for (std::uint32_t seed : {4u, 5u}) RunDifferential<CommDateMgr>(GenerateEvents, seed);
}
TEST(CommMgrIndex, TasksAgreeWithScan) {
  RunDifferential<CommTaskMgr>(GenerateTasks, 6);
}
TEST(CommMgrIndex, NotesAgreeWithScan) {
  RunDifferential<CommNoteMgr>(GenerateNotes, 7);
}

TEST(CommMgrIndex, StaysExactThroughUpdatesAndAdds) {
  CommAddrMgr target;
  auto stored = GenerateContacts(1500, {11, 9, 300});
  auto changes = GenerateContacts(1500, {12, 9, 300});
  auto probes = GenerateContacts(800, {13, 9, 300});
  std::mt19937 rng(99);
  for (std::size_t i = 0; i < 500; ++i) target.Add(&stored[i]);
  for (std::size_t round = 0; round < 6; ++round) {
    ExpectIndexMatchesScan(target, probes);
    // Updates move records between groups, including emptying them; adds append.
    for (int k = 0; k < 200; ++k) {
      std::int32_t pos = static_cast<std::int32_t>(rng() % target.Count());
      ASSERT_TRUE(target.UpdateAt(&changes[rng() % changes.size()], pos));
    }
    for (std::size_t i = 0; i < 150; ++i) target.Add(&stored[500 + round * 150 + i]);
  }
}

TEST(CommMgrIndex, MarkAgainstSetsStatusAndCounterpart) {
  CommAddrMgr source, target, sourceLinear;
  for (const auto& c : GenerateContacts(2000, {21, 3, 0})) {
    source.Add(&c);
    sourceLinear.Add(&c);
  }
  for (const auto& c : GenerateContacts(2000, {22, 3, 0})) target.Add(&c);
  ASSERT_TRUE(source.MarkAgainst(&target));
  ASSERT_TRUE(sourceLinear.MarkAgainstLinear(&target));
  for (std::int32_t i = 0; i < static_cast<std::int32_t>(source.Count()); ++i) {
    EXPECT_EQ(source.Peek(i)->Status, sourceLinear.Peek(i)->Status);
    EXPECT_EQ(source.Peek(i)->MatchedRecord, sourceLinear.Peek(i)->MatchedRecord);
  }
  EXPECT_FALSE(source.MarkAgainst(nullptr));
}

CommonContact Contact(const char* first, const char* last, const char* mail,
                      const char* mobile = "") {
  CommonContact c;
  c.FirstName = first;
  c.LastName = last;
  c.Email1 = mail;
  c.MobilePhone = mobile;
  return c;
}

TEST(CommAddrMgr, SameCounterpartLaterWinsOverEarlierDifferingOne) {
  CommAddrMgr m;
  CommonContact differing = Contact("Ann", "Lee", "ann@x", "111");
  CommonContact other = Contact("Bob", "Lee", "bob@x");
  CommonContact equal = Contact("ANN", "lee", "Ann@X", "222");
  m.Add(&differing);
  m.Add(&other);
  m.Add(&equal);
  CommonContact probe = Contact("ann", "LEE", "ann@x", "222");
  const CommonContact* c = nullptr;
  std::int32_t pos = 0;
  EXPECT_EQ(m.Lookup(&probe, &c, &pos), kLookupSame);
  EXPECT_EQ(pos, 2);
  EXPECT_EQ(c, m.Peek(2));
  probe.MobilePhone = "333";  // now differs from both: the last candidate is taken
  m.Add(&differing);
  EXPECT_EQ(m.Lookup(&probe, &c, &pos), kLookupDiff);
  EXPECT_EQ(pos, 3);
}

TEST(CommAddrMgr, EmptyKeysMatchEachOther) {
  CommAddrMgr m;
  CommonContact a, b;
  a.Company = "Acme";
  b.Company = "Other";
  m.Add(&a);
  std::int32_t pos = -1;
  EXPECT_EQ(m.Lookup(&b, nullptr, &pos), kLookupDiff);
  EXPECT_EQ(pos, 0);
}

TEST(CommAddrMgr, EmptyManagerAndNullRecord) {
  CommAddrMgr m;
  CommonContact a;
  const CommonContact* c = &a;
  std::int32_t pos = -1;
  EXPECT_EQ(m.Lookup(&a, &c, &pos), kLookupNew);
  EXPECT_EQ(pos, 0);
  EXPECT_EQ(c, nullptr);
  EXPECT_EQ(m.Lookup(nullptr, &c, &pos), kLookupNull);
}

TEST(CommAddrMgr, UpdateAtKeepsStoredTextForEmptyIncoming) {
  CommAddrMgr m;
  CommonContact stored = Contact("Ann", "Lee", "a@x");
  stored.Company = "Acme";
  stored.NameExtra = "kept";
  stored.CustomLabel[9] = "tenth";
  m.Add(&stored);
  CommonContact in = Contact("", "Smith", "");
  in.NameExtra = "ignored";
  in.CustomLabel[9] = "ignored";
  in.Birthday = OleDate(40000);
  ASSERT_TRUE(m.UpdateAt(&in, 0));
  const CommonContact* s = m.Peek(0);
  EXPECT_EQ(s->FirstName, "Ann");
  EXPECT_EQ(s->LastName, "Smith");
  EXPECT_EQ(s->Company, "Acme");
  EXPECT_EQ(s->NameExtra, "kept");
  EXPECT_EQ(s->CustomLabel[9], "tenth");
  EXPECT_EQ(s->Birthday, OleDate(40000));
  EXPECT_FALSE(m.UpdateAt(&in, 1));
  EXPECT_FALSE(m.UpdateAt(&in, -1));
  EXPECT_FALSE(m.UpdateAt(nullptr, 0));
  // The index follows the update: the old key is gone, the new one found.
  CommonContact oldKey = Contact("Ann", "Lee", "a@x");
  EXPECT_EQ(m.Lookup(&oldKey, nullptr, nullptr), kLookupNew);
  CommonContact newKey = Contact("Ann", "Smith", "a@x");
  newKey.Company = "Acme";
  EXPECT_EQ(m.Lookup(&newKey, nullptr, nullptr), kLookupSame);
}

TEST(CommAddrMgr, IgnoredCodesDoNotMakeRecordsDiffer) {
  // Profession, hobby and children's names have no field of their own in the comparison.
  CommonContact a = Contact("A", "B", "c"), b = a;
  b.Profession = "x";
  b.Hobby = "y";
  b.ChildrenNames = "z";
  b.Gender = 2;
  EXPECT_TRUE(CommAddrMgr::CompareEqual(a, b));
  b.WorkAddress.Street = "1 Road";
  EXPECT_FALSE(CommAddrMgr::CompareEqual(a, b));
}

TEST(CommAddrMgr, AddCopiesOwnedNativeRecordOnly) {
  CommAddrMgr m;
  std::string borrowedNative = "connector's";
  CommonContact owned, borrowed;
  owned.NativeRecord = NativeAttachment::Own(std::string("palm bytes"));
  borrowed.NativeRecord = NativeAttachment::Borrow(&borrowedNative);
  CommonContact* o = m.Add(&owned);
  CommonContact* b = m.Add(&borrowed);
  ASSERT_NE(o->NativeRecord.As<std::string>(), nullptr);
  EXPECT_NE(o->NativeRecord.As<std::string>(), owned.NativeRecord.As<std::string>());
  EXPECT_EQ(*o->NativeRecord.As<std::string>(), "palm bytes");
  EXPECT_EQ(b->NativeRecord.As<std::string>(), &borrowedNative);
  EXPECT_EQ(b->NativeRecord.As<int>(), nullptr);
}

CommonEvent Event(const char* subject, int hour, const char* location, const char* description) {
  CommonEvent e;
  e.Subject = subject;
  e.Start.wYear = 2012;
  e.Start.wMonth = 5;
  e.Start.wDay = 1;
  e.Start.wHour = static_cast<std::uint16_t>(hour);
  e.End = e.Start;
  e.Location = location;
  e.Description = description;
  return e;
}

TEST(CommDateMgr, DescriptionIgnoredLocationComparedStartKeyed) {
  CommDateMgr m;
  CommonEvent stored = Event("Review", 10, "Room 1", "old");
  m.Add(&stored);
  struct Case {
    CommonEvent probe;
    int expected;
  } cases[] = {
      {Event("REVIEW", 10, "room 1", "new text"), kLookupSame},
      {Event("Review", 10, "Room 2", "old"), kLookupDiff},
      {Event("Review", 11, "Room 1", "old"), kLookupNew},
      {Event("Review ", 10, "Room 1", "old"), kLookupNew},
  };
  for (const Case& c : cases) EXPECT_EQ(m.Lookup(&c.probe, nullptr, nullptr), c.expected);
}

TEST(CommDateMgr, PatternsEqualWhateverTheirEnd) {
  CommonRecurrence a, b;
  a.RecurType = b.RecurType = kRecurWeekly;
  a.Interval = b.Interval = 1;
  a.DayOfWeekMask = b.DayOfWeekMask = kMaskMonday;
  b.HasEnd = 1;
  b.PatternEnd.wYear = 2020;
  EXPECT_TRUE(a.SamePattern(b));
  b.Instance = 2;
  EXPECT_FALSE(a.SamePattern(b));
}

TEST(CommDateMgr, DeletedOccurrencesAreCompared) {
  CommDateMgr m;
  CommonEvent stored = Event("Review", 10, "Room 1", "");
  stored.ExceptionDates.Assign({{2012, 5, 8}, {2012, 5, 15}});
  m.Add(&stored);
  CommonEvent probe = stored;
  probe.ExceptionDates.Assign({{2012, 5, 15}, {2012, 5, 8}, {2012, 5, 8}});  // order, repeats
  EXPECT_EQ(m.Lookup(&probe, nullptr, nullptr), kLookupSame);
  probe.ExceptionDates.Assign({{2012, 5, 8}});  // an account copy that brings one back
  EXPECT_EQ(m.Lookup(&probe, nullptr, nullptr), kLookupDiff);
  m.UpdateAt(&probe, 0);
  EXPECT_EQ(m.Lookup(&probe, nullptr, nullptr), kLookupSame);
  CommonEvent untold = stored;  // a source without deleted occurrences of its own
  untold.ExceptionDates.Assign({});
  m.UpdateAt(&untold, 0);
  EXPECT_EQ(m.Lookup(&probe, nullptr, nullptr), kLookupSame);
}

TEST(ExceptionDayList, KeepsValidDaysAndOfTooManyTheLatest) {
  std::vector<EventDay> days;
  for (std::uint16_t i = 0; i < ExceptionDayList::kMax + 5; ++i)
    days.push_back(
        {static_cast<std::uint16_t>(2000 + i / 12), static_cast<std::uint16_t>(1 + i % 12), 1});
  days.push_back({2001, 2, 30});  // checked no further than 1-31: Palm never stores such a day
  days.push_back({2001, 13, 1});
  days.push_back({0, 1, 1});
  ExceptionDayList list;
  EXPECT_EQ(list.Assign(days), 6u);
  EXPECT_EQ(list.size(), ExceptionDayList::kMax);
  EXPECT_EQ(*list.begin(), (EventDay{2000, 7, 1}));
  EXPECT_EQ(list.Key().substr(list.Key().size() - 8), "20080901");
  EXPECT_FALSE(list.Add({1999, 1, 1}));  // earlier than everything kept
  EXPECT_TRUE(list.Add({2030, 1, 1}));
  EXPECT_EQ(list.size(), ExceptionDayList::kMax);
}

TEST(CommTaskMgr, OnlyImportanceIsCompared) {
  CommTaskMgr m;
  CommonTask t;
  t.Subject = "Call";
  t.Importance = 1;
  t.Note = "x";
  m.Add(&t);
  CommonTask probe = t;
  probe.Subject = "CALL";
  probe.Note = "other";
  probe.Complete = 1;
  EXPECT_EQ(m.Lookup(&probe, nullptr, nullptr), kLookupSame);
  probe.Importance = 2;
  EXPECT_EQ(m.Lookup(&probe, nullptr, nullptr), kLookupDiff);
}

TEST(CommNoteMgr, UpdateAtMarksTheStoredNoteSame) {
  CommNoteMgr m;
  CommonNote n;
  n.Title = "t";
  n.Status = kStatusDiff;
  m.Add(&n);
  CommonNote in;
  in.Body = "b";
  in.Color = 3;
  ASSERT_TRUE(m.UpdateAt(&in, 0));
  EXPECT_EQ(m.Peek(0)->Status, kStatusSame);
  EXPECT_EQ(m.Peek(0)->Title, "t");
  EXPECT_EQ(m.Peek(0)->Body, "b");
  EXPECT_EQ(m.Peek(0)->Color, 3u);
}

TEST(CommMgr, IterationAndClear) {
  CommNoteMgr m;
  EXPECT_EQ(m.First(), nullptr);
  CommonNote n;
  for (int i = 0; i < 3; ++i) m.Add(&n);
  int seen = 0;
  for (CommonNote* p = m.First(); p; p = m.Next()) ++seen;
  EXPECT_EQ(seen, 3);
  EXPECT_EQ(m.Next(), nullptr);
  m.Clear();
  EXPECT_EQ(m.Count(), 0u);
  EXPECT_EQ(m.Lookup(&n, nullptr, nullptr), kLookupNew);
}

}  // namespace
