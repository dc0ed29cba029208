// Our reader against every sample file and what independent readers print for them.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "PmPeerDump.h"
#include "PmTestUtil.h"
#include "palm/PmDateUtil.h"
#include "palm/PmTodoExUtil.h"
#include "palm/PmTodoUtil.h"

namespace fs = std::filesystem;

namespace {

class PmSamplesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QuietDebugLog();
    if (!fs::is_directory(PalmSamples())) {
      GTEST_SKIP() << "Palm sample folder not found at " << PalmSamples()
                   << "; the sample agreement tests need ../shared/palm-samples";
    }
  }
};

// Loads a to-do file with the loader its version word asks for.
struct AnyTodo {
  int layout = 0;
  PmTodoUtil v1;
  PmTodoExUtil v2;
  bool Load(const fs::path& path) {
    auto bytes = ReadFileBytes(path);
    if (LoadBytes(v2, bytes)) {
      layout = 2;
      return true;
    }
    if (LoadBytes(v1, bytes)) {
      layout = 1;
      return true;
    }
    return false;
  }
  const PmCategoryMgr* Categories() const {
    return layout == 2 ? v2.Categories() : v1.Categories();
  }
};

void ExpectRepeatAgrees(const PyValue& peer, const PmRepeat& ours, const std::string& where) {
  SCOPED_TRACE(where);
  EXPECT_EQ(peer["dateExceptionCount"].Int(), static_cast<std::int64_t>(ours.exceptions.size()));
  const PyValue& exceptions = peer["dateExceptions"];
  for (std::size_t i = 0; i < exceptions.items.size() && i < ours.exceptions.size(); ++i) {
    EXPECT_EQ(exceptions.items[i].Int(), ours.exceptions[i]);
  }
  if (peer["repeatEventFlag"].Int() == 0) {
    EXPECT_EQ(ours.kind, PmRepeat::kNone);
    return;
  }
  EXPECT_EQ(peer["brand"].Int(), ours.kind);
  EXPECT_EQ(peer["interval"].Int(), ours.interval);
  EXPECT_EQ(peer["endDate"].Int(), static_cast<std::uint32_t>(ours.endDate));
  EXPECT_EQ(peer["firstDayOfWeek"].Int(), ours.firstDayOfWeek);
  if (peer["brandDayIndex"].kind != PyValue::kNone) {
    EXPECT_EQ(peer["brandDayIndex"].Int(), ours.dayIndex);
  }
  if (peer["brandDaysMask"].kind == PyValue::kStr) {
    ASSERT_EQ(peer["brandDaysMask"].str.size(), 1u);
    EXPECT_EQ(static_cast<std::uint8_t>(peer["brandDaysMask"].str[0]), ours.dayMask);
  }
  if (peer["brandWeekIndex"].kind != PyValue::kNone) {
    EXPECT_EQ(peer["brandWeekIndex"].Int(), ours.weekIndex);
  }
  if (peer["brandDayNumber"].kind != PyValue::kNone) {
    EXPECT_EQ(peer["brandDayNumber"].Int(), ours.dayNumber);
  }
  if (peer["brandMonthIndex"].kind != PyValue::kNone) {
    EXPECT_EQ(peer["brandMonthIndex"].Int(), ours.monthIndex);
  }
}

}  // namespace

TEST_F(PmSamplesTest, EverySampleFileLoads) {
  std::size_t files = 0;
  for (const auto& entry : fs::recursive_directory_iterator(PalmSamples())) {
    auto ext = entry.path().extension();
    if (!entry.is_regular_file() || (ext != ".dat" && ext != ".dba")) continue;
    ++files;
    SCOPED_TRACE(entry.path().string());
    auto bytes = ReadFileBytes(entry.path());
    std::string name = entry.path().filename().string();
    if (name.find("datebook") != std::string::npos) {
      PmDateUtil db;
      EXPECT_TRUE(LoadBytes(db, bytes));
    } else {
      AnyTodo todo;
      EXPECT_TRUE(todo.Load(entry.path()));
    }
  }
  EXPECT_EQ(files, 19u);
}

// The Android-ToDo importer reads both layouts; we agree with it field by field.
TEST_F(PmSamplesTest, TodosAgreeWithAndroidToDoImporter) {
  auto sections = ReadTrevinDump((PalmSamples() / "peer-dumps" / "trevin-dump.txt").string());
  ASSERT_EQ(sections.size(), 17u);
  std::size_t compared = 0;
  for (const auto& s : sections) {
    SCOPED_TRACE(s.file);
    AnyTodo todo;
    ASSERT_TRUE(todo.Load(PalmSamples() / s.file));
    EXPECT_EQ(todo.layout, s.version);
    const PmCategoryMgr* cats = todo.Categories();
    ASSERT_NE(cats, nullptr);
    EXPECT_EQ(cats->Count(), s.categories.size() + 1);
    for (const auto& c : s.categories) {
      const PmCategory* ours = cats->ByIndex(static_cast<std::int32_t>(c.index));
      ASSERT_NE(ours, nullptr);
      EXPECT_EQ(ours->id, c.id);
      EXPECT_EQ(ours->name, c.name.substr(0, PmCategory::kNameMax));
    }
    if (s.error) {
      EXPECT_EQ(todo.v1.RecordCount() + todo.v2.RecordCount(), 0u);
      continue;
    }
    std::size_t count = todo.layout == 2 ? todo.v2.RecordCount() : todo.v1.RecordCount();
    ASSERT_EQ(count, s.declaredRecords);
    ASSERT_EQ(count, s.todos.size());
    for (std::size_t i = 0; i < count; ++i) {
      const TrevinTodo& peer = s.todos[i];
      SCOPED_TRACE("record " + std::to_string(i));
      if (todo.layout == 1) {
        const PmTodoRecord& r = todo.v1.Records()[i];
        EXPECT_EQ(r.recordId, peer.id);
        EXPECT_EQ(r.categoryId, peer.categoryIndex);
        EXPECT_EQ(r.isPrivate != 0, peer.isPrivate);
        EXPECT_EQ(r.description, peer.description);
        EXPECT_EQ(r.dueDate, peer.dueDate);
        EXPECT_EQ(r.completed != 0, peer.completed);
        EXPECT_EQ(r.priority, peer.priority);
        EXPECT_EQ(r.note, peer.note);
      } else {
        const PmTodoExRecord& r = todo.v2.Records()[i];
        EXPECT_EQ(r.recordId, peer.id);
        EXPECT_EQ(r.categoryId, peer.categoryIndex);
        EXPECT_EQ(r.isPrivate != 0, peer.isPrivate);
        EXPECT_EQ(r.description, peer.description);
        EXPECT_EQ(r.dueDate, peer.dueDate);
        EXPECT_EQ(r.completed != 0, peer.completed);
        EXPECT_EQ(r.priority, peer.priority);
        EXPECT_EQ(r.note, peer.note);
        ASSERT_TRUE(peer.hasLayout2Fields);
        EXPECT_EQ(r.completionDate, peer.completionDate);
        EXPECT_EQ(r.alarmSet != 0, peer.hasAlarm);
        EXPECT_EQ(r.alarmDaysInAdvance, peer.alarmDaysInAdvance);
      }
      ++compared;
    }
  }
  EXPECT_EQ(compared, 34u);
}

// palmFile.py prints every field of both date books; the big one has 5,758 records.
TEST_F(PmSamplesTest, DateBooksAgreeWithPalmFilePy) {
  auto sections = ReadPalmFileDump((PalmSamples() / "peer-dumps" / "palmFile-dump.txt").string());
  ASSERT_EQ(sections.size(), 2u);
  std::size_t compared = 0;
  for (const auto& s : sections) {
    SCOPED_TRACE(s.file);
    PmDateUtil db;
    ASSERT_TRUE(LoadBytes(db, ReadFileBytes(PalmSamples() / s.file)));
    ASSERT_EQ(db.RecordCount(), s.declaredRecords);
    ASSERT_EQ(s.records.size(), s.declaredRecords);
    for (std::size_t i = 0; i < db.RecordCount(); ++i) {
      const PmDateRecord& r = db.Records()[i];
      const PyValue& p = s.records[i];
      std::string where = s.file + " record " + std::to_string(i);
      SCOPED_TRACE(where);
      EXPECT_EQ(p["recordID"].Int(), r.recordId);
      EXPECT_EQ(p["status"].Int(), r.status);
      EXPECT_EQ(p["position"].Int(), r.position);
      EXPECT_EQ(p["startTime"].Int(), static_cast<std::uint32_t>(r.start));
      EXPECT_EQ(p["endTime"].Int(), static_cast<std::uint32_t>(r.end));
      EXPECT_EQ(p["text"].str, r.description);
      EXPECT_EQ(p["duration"].Int(), r.duration);
      EXPECT_EQ(p["note"].str, r.note);
      EXPECT_EQ(p["untimed"].Int(), r.untimed != 0);
      EXPECT_EQ(p["private"].Int(), r.isPrivate != 0);
      EXPECT_EQ(p["category"].Int(), r.categoryId);
      EXPECT_EQ(p["alarmSet"].Int(), r.alarmSet != 0);
      EXPECT_EQ(p["alarmAdvUnits"].Int(), static_cast<std::uint32_t>(r.alarmAdvance));
      EXPECT_EQ(p["alarmAdvType"].Int(), static_cast<std::uint32_t>(r.alarmUnit));
      ExpectRepeatAgrees(p["repeatEvent"], r.repeat, where);
      if (::testing::Test::HasFailure()) return;  // one broken record is enough to read
      ++compared;
    }
  }
  EXPECT_EQ(compared, 5758u + 3u);
}

// J-Pilot cuts category names to Palm's 15 bytes, as we do.
TEST_F(PmSamplesTest, CategoryNamesAgreeWithJPilot) {
  PmTodoUtil todo;
  ASSERT_TRUE(
      LoadBytes(todo, ReadFileBytes(PalmSamples() / "Android-ToDo" / "Palm-maximal-v1.dat")));
  ASSERT_NE(todo.Categories()->ByIndex(1), nullptr);
  EXPECT_EQ(todo.Categories()->ByIndex(1)->name, "Animals of the ");
  EXPECT_EQ(todo.Categories()->ByIndex(1)->id, 96);
  ASSERT_EQ(todo.RecordCount(), 1u);
  EXPECT_EQ(todo.Records()[0].categoryName, "Animals of the ");

  PmDateUtil big;
  ASSERT_TRUE(
      LoadBytes(big, ReadFileBytes(PalmSamples() / "generated" / "pilot-datebook-windat.dat")));
  EXPECT_EQ(big.Categories()->Count(), 14u);  // 13 stored plus "Unfiled"
}
