// Big and damaged files: every record of a large varied date book reads back, a partial read
// says where it stopped, a damaged schema is refused with its reason, and the CLI passes all of
// it on to the person.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <random>

#include "PmByteWriter.h"
#include "PmFixtures.h"
#include "PmTestUtil.h"
#include "PmVariedDatebook.h"
#include "TestUtil.h"
#include "palm/PmCodePage.h"
#include "palm/PmDateInfo.h"
#include "palm/PmSource.h"
#include "palm/PmTodoInfo.h"

namespace fs = std::filesystem;

namespace {

class PmLoadReportTest : public ::testing::Test {
 protected:
  void SetUp() override { QuietDebugLog(); }
  fs::path Temp(const std::string& name) {
    return fs::temp_directory_path() / ("qm-report-" + std::to_string(getpid()) + "-" + name);
  }
};

CommandRun Cli(const std::string& args) {
  const std::string errFile =
      (fs::temp_directory_path() / ("qm-report-" + std::to_string(getpid()) + ".err")).string();
  CommandRun r =
      RunCommand("TZ=UTC " + std::string(QM_BIN_DIR) + "/quillmove-cli " + args, errFile);
  fs::remove(errFile);
  return r;
}

std::size_t Lines(const std::string& text) {
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

bool ValidUtf8(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    const auto b = static_cast<unsigned char>(s[i]);
    const std::size_t n = b < 0x80         ? 1
                          : (b >> 5) == 6  ? 2
                          : (b >> 4) == 14 ? 3
                          : (b >> 3) == 30 ? 4
                                           : 0;
    if (n == 0 || s.size() - i < n) return false;
    for (std::size_t k = 1; k < n; ++k)
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    i += n;
  }
  return true;
}

void WriteFile(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

// 40,000 records with about 32,000 repeat rules number their stream past 0x7FFF, where class
// references take the long form; the old reader stopped at 0x7FFE numbers, silently.
TEST_F(PmLoadReportTest, VariedBookPastTheShortTagsReadsBackWhole) {
  PmDateUtil db;
  PmVariedDatebook(7).Fill(db, 40000);
  const auto bytes = SaveBytes(db);
  PmDateUtil back;
  ASSERT_TRUE(LoadBytes(back, bytes));
  EXPECT_TRUE(back.Report().complete) << back.Report().stoppedAt;
  EXPECT_EQ(back.Report().records, 40000u);
  ASSERT_EQ(back.Records().size(), db.Records().size());
  for (std::size_t i = 0; i < db.Records().size(); ++i)
    ASSERT_EQ(back.Records()[i], db.Records()[i]) << "record " << i;
  EXPECT_EQ(SaveBytes(back), bytes);
}

TEST_F(PmLoadReportTest, LongTagsReadAsTheArchiveFormatWritesThem) {
  auto rule = [](PmByteWriter& w) { w.I32(2).I32(1).I32(0).I32(0).I32(1).U8(0x2A); };
  PmByteWriter good;
  rule(good.U16(0).U16(0xFFFF).U16(1).U16(7).Raw("CWeekly"));
  rule(good.U16(0).U16(0x7FFF).I32(0x80000001));  // class 1 in the long form
  PmMemorySource src(good.Bytes());
  PmRepeatReader reader;
  PmRepeat a, b;
  ASSERT_TRUE(reader.Read(src, a));
  ASSERT_TRUE(reader.Read(src, b));
  EXPECT_EQ(a, b);

  for (std::int64_t tag : {0x00000001LL, 0x80000002LL, 0x80000000LL, 0xFFFFFFFFLL}) {
    SCOPED_TRACE(tag);
    PmByteWriter bad;
    rule(bad.U16(0).U16(0xFFFF).U16(1).U16(7).Raw("CWeekly"));
    rule(bad.U16(0).U16(0x7FFF).I32(tag));  // an object, the rule itself, nothing, past the end
    PmMemorySource s(bad.Bytes());
    PmRepeatReader r;
    ASSERT_TRUE(r.Read(s, a));
    EXPECT_FALSE(r.Read(s, b));
  }
}

// Files our writer did not make: the shared sample reads, writes with back-references as Palm
// Desktop does, and the copy reads back the same.
TEST_F(PmLoadReportTest, SharedSampleRewritesAndReadsBack) {
  const fs::path sample = PalmSamples() / "generated" / "pilot-datebook-windat.dat";
  if (!fs::exists(sample)) GTEST_SKIP() << sample << " not found; needs ../shared/palm-samples";
  PmDateUtil db;
  ASSERT_TRUE(LoadBytes(db, ReadFileBytes(sample)));
  EXPECT_TRUE(db.Report().complete) << db.Report().stoppedAt;
  PmDateUtil back;
  ASSERT_TRUE(LoadBytes(back, SaveBytes(db)));
  EXPECT_EQ(back.Records(), db.Records());
}

// A truncated layout-1 book keeps the records before the break and says where it stopped; the
// CLI prints them, warns and exits with 3.
TEST_F(PmLoadReportTest, TruncatedLayout1KeepsRecordsAndSaysWhere) {
  PmDateUtil db;
  const std::size_t live = PmVariedDatebook(3).Fill(db, 500);
  auto bytes = SaveBytes(db);
  bytes.resize(bytes.size() * 2 / 3);
  PmDateUtil cut;
  ASSERT_TRUE(LoadBytes(cut, bytes));
  EXPECT_FALSE(cut.Report().complete);
  EXPECT_GT(cut.Report().records, 200u);
  EXPECT_LT(cut.Report().records, 500u);
  EXPECT_NE(cut.Report().stoppedAt.find("of 500 could not be read"), std::string::npos)
      << cut.Report().stoppedAt;

  const fs::path file = Temp("cut.dat");
  WriteFile(file, bytes);
  CommandRun r = Cli("dump palm calendar --file " + file.string());
  EXPECT_EQ(r.status, 3) << r.err;
  EXPECT_NE(r.err.find("warning"), std::string::npos) << r.err;
  EXPECT_GT(Lines(r.out), 0u);
  EXPECT_LT(Lines(r.out), live);
  fs::remove(file);
}

// Layout 2 states the row width twice; a file where they disagree, or whose total is no whole
// number of rows, would merge or invent records. It is refused with the reason.
TEST_F(PmLoadReportTest, DamagedLayout2SchemaIsRefused) {
  PmTodoExUtil good;
  FillSample(good, 6);
  const auto bytes = SaveBytes(good);
  const std::int32_t perRow = good.Schema().fieldsPerRow;
  const std::uint8_t schema[] = {44, 0, 0, 0, static_cast<std::uint8_t>(perRow), 0, 0, 0};
  auto at = std::search(bytes.begin(), bytes.end(), std::begin(schema), std::end(schema));
  ASSERT_NE(at, bytes.end());
  const auto offset = static_cast<std::size_t>(at - bytes.begin()) + 4;
  const std::size_t totalOffset = offset + 4 * 4 + 2 + 2 * static_cast<std::size_t>(perRow);
  struct Case {
    const char* name;
    std::size_t where;
    std::uint8_t value;
  };
  const Case cases[] = {
      {"fields per row doubled", offset, static_cast<std::uint8_t>(perRow * 2)},
      {"fields per row 1", offset, 1},
      {"total not whole rows", totalOffset, static_cast<std::uint8_t>(perRow * 6 - 1)}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto damaged = bytes;
    damaged[c.where] = c.value;
    PmTodoExUtil todo;
    EXPECT_FALSE(LoadBytes(todo, damaged));
    EXPECT_NE(todo.Report().reason.find("damaged"), std::string::npos) << todo.Report().reason;
  }
  PmTodoExUtil intact;
  ASSERT_TRUE(LoadBytes(intact, bytes));
  EXPECT_EQ(intact.Records().size(), 6u);
}

TEST_F(PmLoadReportTest, FailuresCarryTheirReasonToTheCli) {
  const fs::path fifo = Temp("fifo.dat");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const fs::path wrong = Temp("wrong.dat");
  PmByteWriter datebook;
  datebook.I32(0x44420100).Raw(std::string(60, '\0'));
  WriteFile(wrong, datebook.Bytes());  // a date book given as a to-do list
  struct Case {
    std::string args;
    int status;
    const char* reason;
  };
  const Case cases[] = {
      {"calendar --file " + fifo.string(), 1, "not a regular file"},
      {"calendar --file " + Temp("missing.dat").string(), 1, "No such file"},
      {"tasks --file " + wrong.string(), 1, "version"},
      {"calendar --user 12x", 1, "not a user ID"},
      {"calendar --file " + wrong.string() + " --code-page 77777", 2, "unknown code page"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    CommandRun r = Cli("dump palm " + c.args);
    EXPECT_EQ(r.status, c.status);
    EXPECT_NE(r.err.find(c.reason), std::string::npos) << r.err;
    if (c.status == 1) {
      EXPECT_NE(r.err.find("Failed to load Palm Desktop"), std::string::npos);
    }
  }
  fs::remove(fifo);
  fs::remove(wrong);
}

// A Palm field cut at its capacity, then decoded, ends on a whole character in every code page:
// valid UTF-8 that is a prefix of the whole text decoded.
TEST_F(PmLoadReportTest, CutTextsEndOnAWholeCharacterInEveryCodePage) {
  // Characters of each code page, one and two bytes long.
  const std::vector<std::pair<std::uint32_t, std::vector<std::string>>> pages = {
      {1252, {"a", "\xE9", "\x80"}},
      {1251, {"a", "\xC0", "\xFF"}},
      {932, {"a", "\x82\xA0", "\x88\x9F", "\xB1"}},
      {936, {"a", "\xC4\xE3", "\xB0\xA1"}},
      {949, {"a", "\xB0\xA1", "\xC7\xD1"}},
      {950, {"a", "\xA4\x40", "\xA7\x41"}},
  };
  std::mt19937 rng(5);
  for (const auto& [cp, pieces] : pages) {
    SCOPED_TRACE(cp);
    ASSERT_TRUE(PmCodePage::Known(cp));
    const PmCodePage page(cp);
    for (std::size_t limit : {std::size_t{512}, std::size_t{8192}}) {
      for (std::size_t length = limit - 6; length <= limit + 6; ++length) {
        std::string raw;
        while (raw.size() < length) raw += pieces[rng() % pieces.size()];
        const std::string whole = page.Decode(raw);
        std::string scratch;
        FixedText<8192> text;
        FixedText<100> small;
        PmPutText(text, raw, limit, page, scratch);
        PmPutText(small, raw, limit, page, scratch);
        for (std::string_view got : {text.view(), small.view()}) {
          ASSERT_TRUE(ValidUtf8(got)) << length;
          ASSERT_EQ(whole.compare(0, got.size(), got), 0) << length;
          ASSERT_EQ(got.find("\xEF\xBF\xBD"), std::string_view::npos) << length;
        }
      }
    }
  }
}
