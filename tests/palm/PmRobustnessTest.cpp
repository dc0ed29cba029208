// Truncated, corrupted and hostile files fail cleanly or keep what was read; nothing crashes.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>

#include "PmByteWriter.h"
#include "PmFixtures.h"
#include "PmTestUtil.h"

namespace fs = std::filesystem;

namespace {

// Every prefix (or every stride-th) of a file: layout 2 refuses any cut file; layout 1 may keep
// the records before the cut, and those must be exactly the file's first records.
template <class Loader>
void CheckPrefixes(const std::vector<std::uint8_t>& bytes, std::size_t stride = 1,
                   std::size_t everyByteUpTo = 0) {
  Loader full;
  ASSERT_TRUE(LoadBytes(full, bytes));
  for (std::size_t n = 0; n < bytes.size(); n += (n < everyByteUpTo ? 1 : stride)) {
    std::vector<std::uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
    Loader part;
    bool ok = LoadBytes(part, cut);
    if (full.Layout() == 2) {
      ASSERT_FALSE(ok) << "prefix " << n;
      continue;
    }
    ASSERT_LE(part.RecordCount(), full.RecordCount()) << "prefix " << n;
    if (!ok) continue;
    for (std::size_t i = 0; i < part.RecordCount(); ++i) {
      ASSERT_EQ(part.Records()[i], full.Records()[i]) << "prefix " << n << " record " << i;
    }
  }
}

template <class Loader>
std::vector<std::uint8_t> Fixture(int records) {
  Loader db;
  FillSample(db, records);
  return SaveBytes(db);
}

class PmRobustnessTest : public ::testing::Test {
 protected:
  void SetUp() override { QuietDebugLog(); }
};

}  // namespace

TEST_F(PmRobustnessTest, EveryPrefixOfOurFixtures) {
  CheckPrefixes<PmAddrUtil>(Fixture<PmAddrUtil>(3));
  CheckPrefixes<PmAddrExUtil>(Fixture<PmAddrExUtil>(3));
  CheckPrefixes<PmDateUtil>(Fixture<PmDateUtil>(5));
  CheckPrefixes<PmDateExUtil>(Fixture<PmDateExUtil>(5));
  CheckPrefixes<PmTodoUtil>(Fixture<PmTodoUtil>(4));
  CheckPrefixes<PmTodoExUtil>(Fixture<PmTodoExUtil>(4));
  CheckPrefixes<PmMemoUtil>(Fixture<PmMemoUtil>(4));
  CheckPrefixes<PmMemoExUtil>(Fixture<PmMemoExUtil>(4));
}

TEST_F(PmRobustnessTest, EveryPrefixOfTheSampleFiles) {
  if (!fs::is_directory(PalmSamples())) GTEST_SKIP() << "Palm sample folder not found";
  for (const auto& entry : fs::directory_iterator(PalmSamples() / "Android-ToDo")) {
    SCOPED_TRACE(entry.path().filename().string());
    auto bytes = ReadFileBytes(entry.path());
    PmTodoExUtil probe;
    if (LoadBytes(probe, bytes)) {
      CheckPrefixes<PmTodoExUtil>(bytes);
    } else {
      CheckPrefixes<PmTodoUtil>(bytes);
    }
  }
  CheckPrefixes<PmDateUtil>(ReadFileBytes(PalmSamples() / "generated" / "hebcal-datebook-v1.dba"));
}

// 5,758 records: every byte through the header and first records, then a stride.
TEST_F(PmRobustnessTest, StridedPrefixesOfTheBigDateBook) {
  if (!fs::is_directory(PalmSamples())) GTEST_SKIP() << "Palm sample folder not found";
  auto bytes = ReadFileBytes(PalmSamples() / "generated" / "pilot-datebook-windat.dat");
  CheckPrefixes<PmDateUtil>(bytes, bytes.size() / 24 + 1, 2048);
}

// Seeded byte corruption: a load may fail, but whatever loads must write back and read the same.
TEST_F(PmRobustnessTest, RandomCorruption) {
  std::mt19937 rng(20261208);
  auto mutate = [&](std::vector<std::uint8_t> bytes) {
    int edits = 1 + static_cast<int>(rng() % 6);
    for (int i = 0; i < edits && !bytes.empty(); ++i) {
      std::size_t at = rng() % bytes.size();
      switch (rng() % 4) {
        case 0:
          bytes[at] = static_cast<std::uint8_t>(rng());
          break;
        case 1:
          bytes[at] = 0xFF;
          break;
        case 2:
          bytes[at] = 0x00;
          break;
        default:
          bytes[at] ^= static_cast<std::uint8_t>(1u << (rng() % 8));
          break;
      }
    }
    return bytes;
  };
  auto check = [&](auto loader, const std::vector<std::uint8_t>& original) {
    using Loader = decltype(loader);
    for (int round = 0; round < 300; ++round) {
      auto bytes = mutate(original);
      Loader db;
      if (!LoadBytes(db, bytes)) continue;
      Loader again;
      ASSERT_TRUE(LoadBytes(again, SaveBytes(db))) << "round " << round;
      ASSERT_EQ(again.Records(), db.Records()) << "round " << round;
    }
  };
  check(PmAddrUtil{}, Fixture<PmAddrUtil>(3));
  check(PmAddrExUtil{}, Fixture<PmAddrExUtil>(3));
  check(PmDateUtil{}, Fixture<PmDateUtil>(6));
  check(PmDateExUtil{}, Fixture<PmDateExUtil>(6));
  check(PmTodoUtil{}, Fixture<PmTodoUtil>(4));
  check(PmTodoExUtil{}, Fixture<PmTodoExUtil>(7));
  check(PmMemoUtil{}, Fixture<PmMemoUtil>(4));
  check(PmMemoExUtil{}, Fixture<PmMemoExUtil>(4));
}

// A text far past every Palm capacity is kept whole and the fields after it stay in step.
TEST_F(PmRobustnessTest, LongTextThenInt32StaysInStep) {
  std::string note(9000, 'n');
  note[8999] = 'Z';
  PmByteWriter w;
  w.Memo1Header().I32(12).MemoRecord(7, note, 1, 0).MemoRecord(8, std::string(255, 'b'), 0, 0);
  PmMemoUtil memo;
  ASSERT_TRUE(LoadBytes(memo, w.Bytes()));
  ASSERT_EQ(memo.RecordCount(), 2u);
  EXPECT_EQ(memo.Records()[0].text, note);
  EXPECT_EQ(PmClip(memo.Records()[0].text, 8192).size(), 8191u);
  EXPECT_EQ(memo.Records()[0].isPrivate, 1);
  EXPECT_EQ(memo.Records()[1].recordId, 8);
  EXPECT_EQ(memo.Records()[1].text.size(), 255u);  // first length in the 0xFF form
}

TEST_F(PmRobustnessTest, PartialRecordCountKeepsWholeRecordsOnly) {
  PmByteWriter w;
  w.Memo1Header().I32(6 * 2 + 4).MemoRecord(1, "a").MemoRecord(2, "b").Int(3).Int(0);
  PmMemoUtil memo;
  ASSERT_TRUE(LoadBytes(memo, w.Bytes()));
  EXPECT_EQ(memo.RecordCount(), 2u);
}

TEST_F(PmRobustnessTest, EmptyRecordBlockLoads) {
  PmByteWriter w;
  w.Memo1Header().I32(0);
  PmMemoUtil memo;
  EXPECT_TRUE(LoadBytes(memo, w.Bytes()));
  EXPECT_EQ(memo.RecordCount(), 0u);
}

// Fields past the loader's table are kept with their codes and written back in place.
TEST_F(PmRobustnessTest, ExtraFieldsAreKeptAndWrittenBack) {
  PmByteWriter w;
  w.Memo1Header(8, 8).I32(16);
  w.MemoRecord(1, "first").Int(41).Text("tail");
  w.MemoRecord(2, "second").Int(42).Text("end");
  PmMemoUtil memo;
  ASSERT_TRUE(LoadBytes(memo, w.Bytes()));
  ASSERT_EQ(memo.RecordCount(), 2u);
  ASSERT_EQ(memo.Records()[1].extra.size(), 2u);
  EXPECT_EQ(memo.Records()[1].extra[0].integer, 42);
  EXPECT_EQ(memo.Records()[1].extra[1].text, "end");
  EXPECT_EQ(SaveBytes(memo), w.Bytes());
}

struct HostileCase {
  const char* name;
  std::function<void(PmByteWriter&)> build;
  bool loads;
  std::size_t records;
};

// Files that lie about their sizes; each must fail (or stop) quickly without a large allocation.
TEST_F(PmRobustnessTest, HostileCounts) {
  const HostileCase cases[] = {
      {"zero fields per row",
       [](PmByteWriter& w) { w.Memo1Header(0, 6).I32(6).MemoRecord(1, "x"); }, false, 0},
      {"huge fields per row",
       [](PmByteWriter& w) { w.Memo1Header(0x7FFFFFFF, 6).I32(6).MemoRecord(1, "x"); }, false, 0},
      {"record count far past the end",
       [](PmByteWriter& w) { w.Memo1Header().I32(0x7FFFFFFE).MemoRecord(1, "x"); }, true, 1},
      {"negative field total", [](PmByteWriter& w) { w.Memo1Header().I32(-6).MemoRecord(1, "x"); },
       false, 0},
      {"text length past the end",
       [](PmByteWriter& w) {
         w.Memo1Header().I32(6).Int(1).Int(0).Int(1).I32(5).I32(1).U8(0xFF).U16(0xFFFF).Raw("ab");
       },
       true, 0},
      {"field count past the end",
       [](PmByteWriter& w) {
         w.I32(0x4D500100).Counted("n").Counted("").I32(128).I32(0);
         w.I32(64).I32(6).I32(0).I32(1).I32(2).U16(0xFFFF).U16(1);
       },
       false, 0},
      {"category count in the billions",
       [](PmByteWriter& w) {
         w.I32(0x4D500100).Counted("n").Counted("").I32(128).I32(0x7FFFFFFF);
         for (int i = 1; i <= 16; ++i) w.I32(i).I32(i).I32(0).Counted("c").Counted("c");
       },
       false, 0},
      {"header string over capacity",
       [](PmByteWriter& w) { w.I32(0x4D500100).Counted(std::string(300, 'p')).Counted(""); }, false,
       0},
      {"unknown field type in an extra field",
       [](PmByteWriter& w) { w.Memo1Header(7, 7).I32(7).MemoRecord(1, "x").Int(5, 99); }, true, 0},
      {"text where an integer belongs",
       [](PmByteWriter& w) { w.Memo1Header().I32(6).Text("id").Int(0).Int(0).Text("x"); }, true, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    PmByteWriter w;
    c.build(w);
    PmMemoUtil memo;
    EXPECT_EQ(LoadBytes(memo, w.Bytes()), c.loads);
    EXPECT_EQ(memo.RecordCount(), c.records);
  }
}

TEST_F(PmRobustnessTest, HostileOpaqueSizeFailsLayout2) {
  PmMemoExUtil good;
  FillSample(good, 1);
  good.Records()[0].opaque[2] = PmOpaque{};
  auto bytes = SaveBytes(good);
  // The first code-66 field: claim 2 GiB of bytes that are not there.
  const std::uint8_t empty66[] = {66, 0, 0, 0, 0, 0, 0, 0};
  auto at = std::search(bytes.begin(), bytes.end(), std::begin(empty66), std::end(empty66));
  ASSERT_NE(at, bytes.end());
  at[4] = 0xF0;
  at[5] = at[6] = 0xFF;
  at[7] = 0x7F;
  PmMemoExUtil read;
  EXPECT_FALSE(LoadBytes(read, bytes));
}

TEST_F(PmRobustnessTest, MagicBlockIsOptionalAndItsPrefixUnchecked) {
  auto bytes = Fixture<PmTodoExUtil>(2);
  ASSERT_EQ(bytes[0], 0xBE);
  bytes[0] = 0x11;  // first five bytes are not checked
  PmTodoExUtil a;
  EXPECT_TRUE(LoadBytes(a, bytes));
  EXPECT_EQ(a.Header().magicPrefix[0], 0x11);

  std::vector<std::uint8_t> bare(bytes.begin() + 24, bytes.end());
  PmTodoExUtil b;
  EXPECT_TRUE(LoadBytes(b, bare));
  EXPECT_FALSE(b.Header().hasMagic);
  EXPECT_EQ(b.Records(), a.Records());

  bytes[10] = 'X';  // inside "PalmSG Database00RV"
  PmTodoExUtil c;
  EXPECT_FALSE(LoadBytes(c, bytes));
}

// Six label lines in a layout-1 address book: four are kept and the categories still read.
TEST_F(PmRobustnessTest, Layout1AddressBookKeepsFourLabels) {
  PmAddrUtil written;
  FillSample(written, 2);
  written.Header().tableString = "One\nTwo\nThree\nFour\nFive\nSix\n";
  PmAddrUtil read;
  ASSERT_TRUE(LoadBytes(read, SaveBytes(written)));
  ASSERT_EQ(read.Header().labels.size(), 4u);
  EXPECT_EQ(read.Header().labels[3].text, "Four");
  EXPECT_EQ(read.Categories()->Count(), 3u);
  EXPECT_EQ(read.Header().tableString, written.Header().tableString);
}

// The named hostile files: at most the one record before the damage survives, in layout 1.
TEST_F(PmRobustnessTest, HostileFilesFolder) {
  const fs::path dir = fs::path(QM_TEST_DATA_DIR) / "palm" / "hostile";
  std::size_t files = 0;
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (entry.path().extension() != ".dat") continue;
    ++files;
    std::string name = entry.path().filename().string();
    SCOPED_TRACE(name);
    auto bytes = ReadFileBytes(entry.path());
    std::size_t loads = 0;
    std::size_t records = 0;
    auto attempt = [&](auto loader) {
      if (LoadBytes(loader, bytes)) {
        ++loads;
        records += loader.RecordCount();
      }
    };
    attempt(PmAddrUtil{});
    attempt(PmAddrExUtil{});
    attempt(PmDateUtil{});
    attempt(PmDateExUtil{});
    attempt(PmTodoUtil{});
    attempt(PmTodoExUtil{});
    attempt(PmMemoUtil{});
    attempt(PmMemoExUtil{});
    bool keepsBeforeDamage = name == "record-count-past-end.dat" ||
                             name == "text-length-past-end.dat" || name.rfind("repeat-", 0) == 0 ||
                             name == "opaque-size-2gib.dat";
    EXPECT_EQ(loads, keepsBeforeDamage ? 1u : 0u);
    EXPECT_EQ(records, name == "record-count-past-end.dat" ? 1u : 0u);
  }
  EXPECT_EQ(files, 9u);
}
