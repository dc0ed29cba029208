// Repeat rules, categories and dates: the rules the loaders lean on.
#include <gtest/gtest.h>

#include <cstdlib>

#include "PmByteWriter.h"
#include "PmFixtures.h"
#include "PmTestUtil.h"
#include "palm/PmTime.h"

namespace {

bool ReadRule(PmRepeatReader& reader, const PmByteWriter& w, PmRepeat& out,
              std::uint64_t* left = nullptr) {
  PmMemorySource src(w.Bytes());
  bool ok = reader.Read(src, out);
  if (left) *left = src.BytesLeft();
  return ok;
}

PmByteWriter& NewClass(PmByteWriter& w, const std::string& name) {
  return w.U16(0xFFFF).U16(1).U16(static_cast<std::uint16_t>(name.size())).Raw(name);
}

}  // namespace

TEST(PmRepeatTest, ExceptionsAreReadPastAndMarkerZeroEndsTheField) {
  PmByteWriter w;
  w.U16(3).I32(100).I32(200).I32(300).U16(0).I32(0x5A5A5A5A);
  PmRepeatReader reader;
  PmRepeat r;
  std::uint64_t left = 0;
  ASSERT_TRUE(ReadRule(reader, w, r, &left));
  EXPECT_EQ(r.kind, PmRepeat::kNone);
  EXPECT_EQ(r.exceptions, (std::vector<std::int32_t>{100, 200, 300}));
  EXPECT_EQ(left, 4u);
}

TEST(PmRepeatTest, MonthlyByDateCarriesOneDayNumber) {
  PmByteWriter w;
  NewClass(w.U16(0), "CDateOfMonth").I32(4).I32(1).I32(1956528000).I32(0).I32(13).I32(77);
  PmRepeatReader reader;
  PmRepeat r;
  std::uint64_t left = 0;
  ASSERT_TRUE(ReadRule(reader, w, r, &left));
  EXPECT_EQ(r.kind, PmRepeat::kMonthlyByDate);
  EXPECT_EQ(r.dayNumber, 13);
  EXPECT_EQ(left, 4u);  // the 77 belongs to the next field
}

// Later rules of a class point back to it by stream number; classes and rule objects share the
// numbering, so the second new class is number 3.
TEST(PmRepeatTest, ClassBackReferencesFollowTheStreamNumbering) {
  PmByteWriter w;
  NewClass(w.U16(0), "CWeekly").I32(2).I32(1).I32(0).I32(0).I32(1).U8(0x2A);
  w.U16(0).U16(0x8001).I32(2).I32(2).I32(0).I32(0).I32(3).U8(0x05);
  NewClass(w.U16(0), "CDayName").I32(1).I32(1).I32(0).I32(0).I32(4);
  w.U16(0).U16(0x8004).I32(1).I32(3).I32(0).I32(0).I32(6);
  PmMemorySource src(w.Bytes());
  PmRepeatReader reader;
  PmRepeat a, b, c, d;
  ASSERT_TRUE(reader.Read(src, a));
  ASSERT_TRUE(reader.Read(src, b));
  ASSERT_TRUE(reader.Read(src, c));
  ASSERT_TRUE(reader.Read(src, d));
  EXPECT_EQ(b.kind, PmRepeat::kWeekly);
  EXPECT_EQ(b.dayMask, 0x05);
  EXPECT_EQ(d.kind, PmRepeat::kDaily);
  EXPECT_EQ(d.dayIndex, 6);
  EXPECT_EQ(src.BytesLeft(), 0u);
}

TEST(PmRepeatTest, MalformedMarkersAreRejected) {
  struct Case {
    const char* name;
    PmByteWriter bytes;
  };
  std::vector<Case> cases;
  cases.push_back({"reference before any class", {}});
  cases.back().bytes.U16(0).U16(0x8001).I32(1).I32(1).I32(0).I32(0).I32(0);
  cases.push_back({"plain object reference", {}});
  cases.back().bytes.U16(0).U16(0x0001).I32(1).I32(1).I32(0).I32(0).I32(0);
  cases.push_back({"unknown class name", {}});
  NewClass(cases.back().bytes.U16(0), "CEveryFullMoon").I32(1).I32(1).I32(0).I32(0).I32(0);
  cases.push_back({"kind disagrees with class", {}});
  NewClass(cases.back().bytes.U16(0), "CWeekly").I32(4).I32(1).I32(0).I32(0).I32(0);
  cases.push_back({"class schema not 1", {}});
  cases.back()
      .bytes.U16(0)
      .U16(0xFFFF)
      .U16(2)
      .U16(8)
      .Raw("CDayName")
      .I32(1)
      .I32(1)
      .I32(0)
      .I32(0)
      .I32(0);
  cases.push_back({"exception count past the end", {}});
  cases.back().bytes.U16(0xFFFF).I32(1);
  cases.push_back({"class name length past the end", {}});
  cases.back().bytes.U16(0).U16(0xFFFF).U16(1).U16(0xFFFF).Raw("CDay");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    PmRepeatReader reader;
    PmRepeat r;
    EXPECT_FALSE(ReadRule(reader, c.bytes, r));
  }
}

TEST(PmRepeatTest, EveryKindWritesAndReadsBack) {
  for (int n = 0; n < 14; ++n) {
    PmRepeat rule = SampleRepeat(n);
    PmMemorySink sink;
    PmWriteRepeat(sink, rule);
    PmMemorySource src(sink.Bytes());
    PmRepeatReader reader;
    PmRepeat back;
    ASSERT_TRUE(reader.Read(src, back)) << n;
    EXPECT_EQ(back, rule) << n;
    EXPECT_EQ(src.BytesLeft(), 0u);
  }
}

TEST(PmCategoryTest, LongNameIsCutAndShortNameSanitised) {
  PmCategoryMgr mgr;
  ASSERT_TRUE(mgr.Add({0, 0, "Unfiled", "", 0}));
  ASSERT_TRUE(mgr.Add({3, 40, "Travel/Plans.2026 etc", "ignored", 0}));
  const PmCategory* c = mgr.ById(40);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->name, "Travel/Plans.20");
  EXPECT_EQ(c->shortName, "Travel_Plans_20");
  EXPECT_EQ(mgr.ByName("TRAVEL/PLANS.20"), c);
}

TEST(PmCategoryTest, PlacementIdsAndLimits) {
  PmCategoryMgr mgr;
  ASSERT_TRUE(mgr.Add({0, 0, "Unfiled", "", 0}));
  ASSERT_TRUE(mgr.Add({1, 7, "A", "", 0}));
  ASSERT_TRUE(mgr.Add({-1, -1, "B", "", 0}));
  const PmCategory* b = mgr.ByName("b");
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->index, 2);
  EXPECT_EQ(b->id, 8);
  EXPECT_NE(b->flags & PmCategory::kDirty, 0);
  EXPECT_FALSE(mgr.Add({5, 7, "Same ID", "", 0}));
  EXPECT_FALSE(mgr.Add({1, 99, "Taken slot", "", 0}));
  EXPECT_FALSE(mgr.Add({16, 99, "Out of range", "", 0}));
  for (int i = 3; i < 16; ++i) ASSERT_TRUE(mgr.Add({i, 100 + i, "C", "", 0}));
  EXPECT_FALSE(mgr.Add({-1, -1, "Seventeenth", "", 0}));
  EXPECT_EQ(mgr.Count(), 16u);
}

// A new id counts the slots before the first gap; one that a later slot already holds is
// passed over, so every id stays unique and the file reads back.
TEST(PmCategoryTest, NewIdNeverRepeatsOneBeyondAGap) {
  PmCategoryMgr mgr;
  ASSERT_TRUE(mgr.Add({0, 0, "Unfiled", "", 0}));
  ASSERT_TRUE(mgr.Add({2, 1, "Personal", "", 0}));
  ASSERT_TRUE(mgr.Add({10, 4, "Business", "", 0}));
  ASSERT_TRUE(mgr.Add({-1, -1, "New", "", 0}));
  const PmCategory* added = mgr.ByName("New");
  ASSERT_NE(added, nullptr);
  EXPECT_EQ(added->index, 1);
  EXPECT_EQ(added->id, 5);
  PmCategoryMgr plain;  // no clash: the id the gap rule gives
  ASSERT_TRUE(plain.Add({0, 0, "Unfiled", "", 0}));
  ASSERT_TRUE(plain.Add({3, 9, "Later", "", 0}));
  ASSERT_TRUE(plain.Add({-1, -1, "New", "", 0}));
  EXPECT_EQ(plain.ByName("New")->id, 1);
}

TEST(PmTimeTest, NoDateWhateverTheWritingTimeZone) {
  EXPECT_EQ(PmTime(1956528000 - 7201).DisplayText(), "N/A");  // written at UTC+2
  EXPECT_EQ(PmTime(1956499199).DisplayText(), "N/A");
  EXPECT_FALSE(PmTime::IsNoDate(1956499198));
  EXPECT_FALSE(PmTime::IsNoDate(-1));
}

TEST(PmTimeTest, LocalPartsFollowTz) {
  const char* old = std::getenv("TZ");
  std::string saved = old ? old : "";
  setenv("TZ", "America/New_York", 1);
  tzset();
  PmTime summer(2004, 7, 1, 9, 30, 0);
  EXPECT_EQ(summer.Value(), 1088688600);              // 13:30 UTC: daylight saving applied
  SYSTEMTIME st = PmTime(1104570900).ToSystemTime();  // 2005-01-01 09:15 UTC
  EXPECT_EQ(st.wYear, 2005);
  EXPECT_EQ(st.wHour, 4);
  EXPECT_EQ(PmTime(1104570900).DateText(), "01/01/2005");
  if (old) {
    setenv("TZ", saved.c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  tzset();
}
