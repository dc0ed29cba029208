#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "TestUtil.h"
#include "palm/PmDateEx2Util.h"
#include "palm/PmFakeAccessor.h"
#include "palm/PmMDBAccessor.h"

namespace {

// Errors reach the debug log; keep it out of the working folder.
[[maybe_unused]] const bool kQuietLog = (QuietPalm6Log(), true);

using Cols = std::vector<std::string_view>;
using Vals = std::vector<PmValue>;

// ---- SQL builder -------------------------------------------------------------------------------

struct SqlCase {
  const char* name;
  const char* table;
  const char* where;
  Cols columns;
  std::string expected;
};

void PrintTo(const SqlCase& c, std::ostream* os) {
  *os << c.name;
}

class PmSqlBuilderTest : public testing::TestWithParam<SqlCase> {};

TEST_P(PmSqlBuilderTest, Builds) {
  const SqlCase& c = GetParam();
  EXPECT_EQ(PmDataAccessor::BuildSql(c.table, c.where, c.columns), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PmSqlBuilderTest,
    testing::Values(SqlCase{"SelectBracketsEveryColumnAndEndsWithBlank",
                            "Main",
                            "",
                            {"Record ID", "Status"},
                            "SELECT [Record ID], [Status] FROM Main "},
                    SqlCase{"SelectWithWhere",
                            "Category",
                            "WHERE [ID] = 3",
                            {"Name"},
                            "SELECT [Name] FROM Category WHERE [ID] = 3"},
                    SqlCase{"SelectWithoutColumnsIsRefused", "Main", "", {}, ""},
                    SqlCase{
                        "BracketInColumnNameIsRefused", "Main", "", {"Name] FROM Users; --"}, ""}),
    [](const testing::TestParamInfo<SqlCase>& p) { return std::string(p.param.name); });

TEST(PmSqlBuilder, TextValueIsCutToItsCapBeforeQuoting) {
  std::string text(PmDataAccessor::kMaxSqlTextBytes + 100, 'a');
  text[PmDataAccessor::kMaxSqlTextBytes - 1] = '\'';
  std::string written = PmDataAccessor::SqlValue(text);
  // The quote at the cap stays doubled and the literal stays closed.
  EXPECT_EQ(written.size(), PmDataAccessor::kMaxSqlTextBytes + 3);
  EXPECT_TRUE(written.ends_with("'''")) << written.substr(written.size() - 5);
}

TEST(PmSqlBuilder, StatementOverTheLimitIsRefusedNotCut) {
  // Cut, the statement could lose the end of its WHERE clause.
  const std::string where = "WHERE [A] = '" + std::string(PmDataAccessor::kMaxSqlBytes, 'x') + "'";
  Cols cols = {"A"};
  EXPECT_EQ(PmDataAccessor::BuildSql("Main", where, cols), "");
}

// ---- WHERE builder -----------------------------------------------------------------------------

TEST(PmWhereBuilder, JoinsTermsWithAnd) {
  Cols cols = {"Record ID", "Name", "Private"};
  Vals vals = {-4, std::string("it's"), true};
  EXPECT_EQ(PmDataAccessor::BuildWhere(cols, vals),
            "WHERE [Record ID] = -4 AND [Name] = 'it''s' AND [Private] = 1");
}

TEST(PmWhereBuilder, LongTextComparesItsFirstCharacters) {
  std::string text(300, 'n');
  Cols cols = {"Note"};
  Vals vals = {text};
  EXPECT_EQ(PmDataAccessor::BuildWhere(cols, vals),
            "WHERE LEFT([Note], 255) = '" + std::string(255, 'n') + "'");
}

TEST(PmWhereBuilder, LongTextCutNeverSplitsADoubledQuote) {
  std::string text = std::string(254, 'q') + "'" + std::string(50, 'q');
  Cols cols = {"Note"};
  Vals vals = {text};
  EXPECT_EQ(PmDataAccessor::BuildWhere(cols, vals),
            "WHERE LEFT([Note], 255) = '" + std::string(254, 'q') + "'''");
}

TEST(PmWhereBuilder, LongTextCountsCharactersNotBytes) {
  std::string e = "\xC3\xA9";  // é
  std::string text;
  for (int i = 0; i < 300; ++i) text += e;
  std::string expected;
  for (int i = 0; i < 255; ++i) expected += e;
  Cols cols = {"Note"};
  Vals vals = {text};
  EXPECT_EQ(PmDataAccessor::BuildWhere(cols, vals), "WHERE LEFT([Note], 255) = '" + expected + "'");
}

TEST(PmWhereBuilder, RefusesMissingValuesAndBrackets) {
  Cols two = {"A", "B"};
  Vals one = {1};
  EXPECT_EQ(PmDataAccessor::BuildWhere(two, one), "");
  Cols bad = {"A]"};
  EXPECT_EQ(PmDataAccessor::BuildWhere(bad, one), "");
}

// ---- mdbtools accessor on a real Jet 4 file
// ------------------------------------------------------

class PmMDBSampleTest : public testing::Test {
 protected:
  void SetUp() override {
    QuietPalm6Log();
    path_ = std::filesystem::path(QM_SHARED_DIR) / "mdb-samples" / "DateTestDatabase.mdb";
    if (!std::filesystem::exists(path_)) {
      GTEST_SKIP() << "Access sample not found: " << path_ << " (shared samples folder absent)";
    }
    ASSERT_TRUE(db_.Open(PmDbKind::kCalendar, path_.string()));
  }

  std::filesystem::path path_;
  PmMDBAccessor db_;
};

const std::array<std::string_view, 4> kSampleColumns = {"IDCol", "DateTimeCol", "LongTextCol",
                                                        "ShortTextCol"};

TEST_F(PmMDBSampleTest, ReadsIntegersTextsAndDatesAsEmpty) {
  auto row = db_.Query("DateTest", kSampleColumns);
  ASSERT_TRUE(row);
  EXPECT_EQ(db_.LastSelect(),
            "SELECT [IDCol], [DateTimeCol], [LongTextCol], [ShortTextCol] FROM DateTest ");
  ASSERT_EQ(row->size(), 4u);
  EXPECT_EQ((*row)[0], PmValue(std::int32_t{1}));
  EXPECT_TRUE(std::holds_alternative<std::monostate>((*row)[1])) << "a date reaches us empty";
  EXPECT_EQ((*row)[2], PmValue(std::string("Hello")));
  EXPECT_EQ((*row)[3], PmValue(std::string("Hello")));

  std::vector<PmRow> rows{*row};
  while (auto next = db_.NextRow("DateTest", kSampleColumns)) rows.push_back(*next);
  ASSERT_EQ(rows.size(), 6u);
  EXPECT_EQ(rows[5][0], PmValue(std::int32_t{6}));
  EXPECT_EQ(rows[5][2], PmValue(std::string("New line\r\nin field")));  // memo keeps CR LF
  EXPECT_EQ(rows[5][3], PmValue(std::string("No new line")));
  for (const auto& r : rows) EXPECT_TRUE(std::holds_alternative<std::monostate>(r[1]));
}

TEST_F(PmMDBSampleTest, NextRowOfAnotherQueryIsIgnoredAndTheWalkGoesOn) {
  ASSERT_TRUE(db_.Query("DateTest", kSampleColumns));
  std::array<std::string_view, 1> other = {"IDCol"};
  EXPECT_FALSE(db_.NextRow("DateTest", other));
  auto row = db_.NextRow("DateTest", kSampleColumns);
  ASSERT_TRUE(row);
  EXPECT_EQ((*row)[0], PmValue(std::int32_t{2}));
}

TEST_F(PmMDBSampleTest, ColumnNamesMatchWithoutCaseAndMissingOnesReadEmpty) {
  std::array<std::string_view, 4> cols = {"idcol", "NoSuchColumn", "shorttextcol", "IDCol"};
  auto row = db_.Query("DateTest", cols);
  ASSERT_TRUE(row);
  ASSERT_EQ(row->size(), 4u);
  EXPECT_EQ((*row)[0], PmValue(std::int32_t{1}));
  EXPECT_TRUE(std::holds_alternative<std::monostate>((*row)[1]));
  EXPECT_EQ((*row)[2], PmValue(std::string("Hello")));
  EXPECT_EQ((*row)[3], PmValue(std::int32_t{1}));  // a column asked for twice reads twice
}

TEST_F(PmMDBSampleTest, MissingTableGivesNoRow) {
  std::array<std::string_view, 1> cols = {"ID"};
  EXPECT_FALSE(db_.Query("Category", cols));
  EXPECT_FALSE(db_.NextRow("Category", cols));
}

TEST_F(PmMDBSampleTest, ExecutesBuiltWhereWithoutRegardToCase) {
  Cols cols = {"ShortTextCol"};
  Vals vals = {std::string("year 1999")};
  std::array<std::string_view, 1> select = {"IDCol"};
  std::string sql =
      PmDataAccessor::BuildSql("DateTest", PmDataAccessor::BuildWhere(cols, vals), select);
  ASSERT_TRUE(db_.Execute(sql, true));
  auto row = db_.FetchRow();
  ASSERT_TRUE(row);
  EXPECT_EQ((*row)[0], PmValue(std::int32_t{2}));
  EXPECT_FALSE(db_.FetchRow());
}

TEST_F(PmMDBSampleTest, RefusesStatementsThatChangeOrThatItCannotRead) {
  EXPECT_FALSE(db_.Execute("DELETE FROM DateTest ", false));
  EXPECT_FALSE(db_.Execute("SELECT [IDCol] FROM DateTest WHERE [IDCol] > 3", true));
  EXPECT_FALSE(db_.Execute("SELECT [IDCol FROM DateTest", true));
  EXPECT_FALSE(db_.Execute("SELECT [IDCol] FROM DateTest WHERE [LongTextCol] = 'open", true));
  EXPECT_FALSE(db_.FetchRow());
}

TEST_F(PmMDBSampleTest, TextsStayUtf8WhateverTheEnvironmentAsks) {
  ScopedEnv env("MDBICONV", "ISO-8859-1");
  PmMDBAccessor db;
  ASSERT_TRUE(db.Open(PmDbKind::kCalendar, path_.string()));
  auto row = db.Query("DateTest", kSampleColumns);
  ASSERT_TRUE(row);
  EXPECT_EQ((*row)[3], PmValue(std::string("Hello")));
}

TEST_F(PmMDBSampleTest, ReopeningClosesTheFormerWalkAndAFailedOneTheFormerFile) {
  ASSERT_TRUE(db_.Query("DateTest", kSampleColumns));
  ASSERT_TRUE(db_.Open(PmDbKind::kCalendar, path_.string()));
  EXPECT_FALSE(db_.NextRow("DateTest", kSampleColumns));
  EXPECT_FALSE(db_.Open(PmDbKind::kCalendar, path_.string() + ".missing"));
  EXPECT_FALSE(db_.IsOpen());
  EXPECT_FALSE(db_.Query("DateTest", kSampleColumns));
}

TEST(PmMDBAccessor, FailsOnMissingAndForeignFiles) {
  QuietPalm6Log();
  PmMDBAccessor db;
  EXPECT_FALSE(db.Open(PmDbKind::kContacts, ""));
  EXPECT_FALSE(db.Open(PmDbKind::kContacts, "/nonexistent/Address.mdb"));
  TempDir dir;
  WriteFile(dir.file("Address.mdb"), std::string(8192, 'x'));
  EXPECT_FALSE(db.Open(PmDbKind::kContacts, dir.file("Address.mdb")));
  WriteFile(dir.file("Empty.mdb"), "");
  EXPECT_FALSE(db.Open(PmDbKind::kContacts, dir.file("Empty.mdb")));
  EXPECT_FALSE(db.IsOpen());
  std::array<std::string_view, 1> cols = {"ID"};
  EXPECT_FALSE(db.Query("Main", cols));
}

// Points standard output at a file for its lifetime.
class CapturedStdout {
 public:
  explicit CapturedStdout(const std::string& path) {
    std::fflush(stdout);
    saved_ = dup(STDOUT_FILENO);
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(fd, STDOUT_FILENO);
    close(fd);
  }
  ~CapturedStdout() {
    std::fflush(stdout);
    dup2(saved_, STDOUT_FILENO);
    close(saved_);
  }
  CapturedStdout(const CapturedStdout&) = delete;
  CapturedStdout& operator=(const CapturedStdout&) = delete;

 private:
  int saved_ = -1;
};

TEST_F(PmMDBSampleTest, DamagedCopiesEndWithAReasonAndNothingReachesStandardOutput) {
  const std::string good = ReadFile(path_.string());
  ASSERT_GT(good.size(), 16384u);
  TempDir dir;
  const std::string out = dir.file("stdout");
  std::mt19937 rng(63691107);
  int failed = 0, partial = 0, whole = 0;
  {
    CapturedStdout capture(out);
    for (int i = 0; i < 32; ++i) {
      std::string bad = good;
      if (i % 4 == 3) {
        bad.resize(rng() % bad.size());
      } else {
        // Mostly in the first pages, where the catalog, the table definition and its rows are.
        const std::size_t span = i % 2 ? bad.size() : 8 * 4096;
        for (int k = 0; k < 3; ++k) bad[rng() % span] ^= static_cast<char>(1 + rng() % 255);
      }
      const std::string file = dir.file("damaged" + std::to_string(i) + ".mdb");
      WriteFile(file, bad);
      const auto start = std::chrono::steady_clock::now();
      CxFirstError cause;
      PmMDBAccessor db;
      std::size_t rows = 0;
      if (db.Open(PmDbKind::kCalendar, file)) {
        for (auto row = db.Query("DateTest", kSampleColumns); row;
             row = db.NextRow("DateTest", kSampleColumns)) {
          ++rows;
        }
      }
      const auto took = std::chrono::steady_clock::now() - start;
      EXPECT_LT(took, std::chrono::seconds(45)) << file;
      if (!db.WalkStoppedAt().empty() || !db.IsOpen()) {
        EXPECT_FALSE(cause.Text().empty()) << file << ": no reason";
        (rows > 0 ? partial : failed) += 1;
      } else {
        ++whole;
      }
    }
  }
  EXPECT_EQ(ReadFile(out), "") << "mdbtools wrote into our standard output";
  EXPECT_GT(failed + partial, 0) << "no copy was damaged where it is read";
  std::printf("damaged copies: %d failed, %d partial, %d whole\n", failed, partial, whole);
}

TEST_F(PmMDBSampleTest, AnAccessDatabaseWithoutPalmTablesIsNotAPalmDatabase) {
  PmDateEx2Util loader;
  CxFirstError cause;
  EXPECT_FALSE(loader.LoadByFile(path_.string()));
  EXPECT_NE(cause.Text().find("is not a Palm Desktop database"), std::string::npos) << cause.Text();
  EXPECT_TRUE(loader.Records().empty());
}

}  // namespace
