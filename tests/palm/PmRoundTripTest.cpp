// Files written by our writer read back the same, in both layouts and all four databases.
#include <gtest/gtest.h>
#include <unistd.h>

#include "PmFixtures.h"
#include "PmTestUtil.h"

namespace fs = std::filesystem;

template <class Loader>
class PmRoundTripTest : public ::testing::Test {
 protected:
  void SetUp() override { QuietDebugLog(); }
};

using AllLoaders = ::testing::Types<PmAddrUtil, PmAddrExUtil, PmDateUtil, PmDateExUtil, PmTodoUtil,
                                    PmTodoExUtil, PmMemoUtil, PmMemoExUtil>;
TYPED_TEST_SUITE(PmRoundTripTest, AllLoaders);

TYPED_TEST(PmRoundTripTest, RecordsHeaderAndCategoriesSurvive) {
  TypeParam written;
  FillSample(written, 23);
  auto bytes = SaveBytes(written);
  ASSERT_FALSE(bytes.empty());

  TypeParam read;
  ASSERT_TRUE(LoadBytes(read, bytes));
  PmHeader expected = written.Header();
  if (written.Database() == PmDatabase::kAddress && written.Layout() == 1) {
    // Layout 1 keeps its labels as lines of the table string.
    ASSERT_EQ(read.Header().labels.size(), 4u);
    EXPECT_EQ(read.Header().labels[1].text, "Spouse");
    expected.labels = read.Header().labels;
  }
  EXPECT_EQ(read.Header(), expected);
  EXPECT_EQ(read.Schema(), written.Schema());
  ASSERT_EQ(read.RecordCount(), 23u);
  for (std::size_t i = 0; i < read.RecordCount(); ++i) {
    EXPECT_EQ(read.Records()[i], written.Records()[i]) << "record " << i;
  }
  ASSERT_NE(read.Categories(), nullptr);
  EXPECT_EQ(read.Categories()->Count(), 3u);
  ASSERT_NE(read.Categories()->ById(11), nullptr);
  EXPECT_EQ(read.Categories()->ById(11)->shortName, "Personal_Home_");

  // Writing what was read gives the same bytes again.
  EXPECT_EQ(SaveBytes(read), bytes);
}

TYPED_TEST(PmRoundTripTest, EmptyDatabaseHasOnlyUnfiled) {
  TypeParam written;
  auto bytes = SaveBytes(written);
  TypeParam read;
  ASSERT_TRUE(LoadBytes(read, bytes));
  EXPECT_EQ(read.RecordCount(), 0u);
  ASSERT_NE(read.Categories(), nullptr);
  EXPECT_EQ(read.Categories()->Count(), 1u);
  ASSERT_NE(read.Categories()->ById(0), nullptr);
  EXPECT_EQ(read.Categories()->ById(0)->name, "Unfiled");
}

TYPED_TEST(PmRoundTripTest, SaveAsFileAndLoadByPath) {
  TypeParam written;
  FillSample(written, 4);
  fs::path path =
      fs::temp_directory_path() / ("qm-palm-roundtrip-" + std::to_string(::getpid()) + ".dat");
  ASSERT_TRUE(written.SaveAs(path.string()));
  TypeParam read(path.string());
  EXPECT_TRUE(read.Loaded());
  EXPECT_EQ(read.Header().fileName, path.string());
  ASSERT_EQ(read.RecordCount(), 4u);
  EXPECT_EQ(read.Records()[3], written.Records()[3]);
  fs::remove(path);
}

// The other layout's loader refuses the file, so callers can try layout 2 and fall back.
TYPED_TEST(PmRoundTripTest, OtherLayoutIsRefused) {
  TypeParam written;
  FillSample(written, 2);
  auto bytes = SaveBytes(written);
  PmTodoUtil todo1;
  PmMemoExUtil memo2;
  if (written.Database() != PmDatabase::kTodo || written.Layout() != 1) {
    EXPECT_FALSE(LoadBytes(todo1, bytes));
  }
  if (written.Database() != PmDatabase::kMemo || written.Layout() != 2) {
    EXPECT_FALSE(LoadBytes(memo2, bytes));
  }
}

class PmSampleRoundTripTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QuietDebugLog();
    if (!fs::is_directory(PalmSamples())) GTEST_SKIP() << "Palm sample folder not found";
  }
};

// Real files: what we write reads back to the same records, and files that need no
// normalising (no back-referenced repeat classes, short names as derived) come back byte for byte.
TEST_F(PmSampleRoundTripTest, SamplesRewriteToTheSameRecords) {
  for (const char* name : {"Palm-minimal-v1.dat", "Palm-minimal-SGv1.dat", "Palm-todos-v1.dat",
                           "Palm-categories-v1.dat"}) {
    SCOPED_TRACE(name);
    auto original = ReadFileBytes(PalmSamples() / "Android-ToDo" / name);
    PmTodoUtil a, b;
    ASSERT_TRUE(LoadBytes(a, original));
    ASSERT_TRUE(LoadBytes(b, SaveBytes(a)));
    EXPECT_EQ(a.Records(), b.Records());
    EXPECT_EQ(a.Header(), b.Header());
  }
  for (const char* name : {"Palm-minimal-v2.dat", "Palm-minimal-SGv2.dat", "Palm-todos-v2.dat",
                           "Palm-repeat_yearly-v2.dat", "Palm-alarm-v2.dat"}) {
    SCOPED_TRACE(name);
    auto original = ReadFileBytes(PalmSamples() / "Android-ToDo" / name);
    PmTodoExUtil a, b;
    ASSERT_TRUE(LoadBytes(a, original));
    ASSERT_TRUE(LoadBytes(b, SaveBytes(a)));
    EXPECT_EQ(a.Records(), b.Records());
    EXPECT_EQ(a.Header(), b.Header());
  }
  for (const char* name : {"Palm-minimal-v1.dat", "Palm-minimal-v2.dat", "Palm-minimal-SGv2.dat",
                           "Palm-minimal-SGv1.dat"}) {
    SCOPED_TRACE(name);
    auto original = ReadFileBytes(PalmSamples() / "Android-ToDo" / name);
    PmTodoUtil v1;
    PmTodoExUtil v2;
    if (LoadBytes(v2, original)) {
      EXPECT_EQ(SaveBytes(v2), original);
    } else {
      ASSERT_TRUE(LoadBytes(v1, original));
      EXPECT_EQ(SaveBytes(v1), original);
    }
  }
  PmDateUtil big, again;
  ASSERT_TRUE(
      LoadBytes(big, ReadFileBytes(PalmSamples() / "generated" / "pilot-datebook-windat.dat")));
  ASSERT_TRUE(LoadBytes(again, SaveBytes(big)));
  EXPECT_EQ(big.Records(), again.Records());
}

// Where a layout-2 address book keeps its custom labels is unconfirmed; a file with the plain
// 43-byte run of the other databases must load too, and write back the same way.
TEST(PmAddressHeaderTest, Layout2AddressBookWithoutLabelsInHeader) {
  QuietDebugLog();
  PmAddrExUtil written;
  FillSample(written, 3);
  written.Header().labels.clear();
  written.Header().reserved2.assign(43, 0);
  written.Header().reserved3.clear();
  auto bytes = SaveBytes(written);
  PmAddrExUtil read;
  ASSERT_TRUE(LoadBytes(read, bytes));
  EXPECT_FALSE(read.AddressLabelsExpected());
  EXPECT_TRUE(read.Header().labels.empty());
  ASSERT_EQ(read.RecordCount(), 3u);
  EXPECT_EQ(read.Records(), written.Records());
  EXPECT_EQ(SaveBytes(read), bytes);

  // The second reading rewinds a file as well as memory.
  fs::path path =
      fs::temp_directory_path() / ("qm-palm-nolabels-" + std::to_string(::getpid()) + ".dat");
  ASSERT_TRUE(read.SaveAs(path.string()));
  PmAddrExUtil fromFile(path.string());
  EXPECT_TRUE(fromFile.Loaded());
  EXPECT_EQ(fromFile.Records(), written.Records());
  fs::remove(path);

  PmAddrExUtil withLabels;
  FillSample(withLabels, 3);
  PmAddrExUtil again;
  ASSERT_TRUE(LoadBytes(again, SaveBytes(withLabels)));
  EXPECT_TRUE(again.AddressLabelsExpected());
  EXPECT_EQ(again.Header().labels.size(), 9u);
}
