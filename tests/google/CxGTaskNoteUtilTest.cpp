#include <gtest/gtest.h>

#include "GoogleDataFiles.h"
#include "HelperTestUtil.h"
#include "google/CxGNoteUtil.h"
#include "google/CxGTaskUtil.h"
#include "misc/CxDebugUtil.h"

namespace {

GoogleTask Task(const char* title, std::int32_t state) {
  GoogleTask t;
  t.RecordTag = 3;
  t.ChangeState = state;
  t.Title = title;
  t.Priority = 2;
  t.Completed = 7;
  t.Notes = "bring the keys";
  t.FurtherTimes[1] = OleDate(45000.5);
  return t;
}

GoogleNote Note(const char* title, std::int32_t state) {
  GoogleNote n;
  n.RecordTag = 4;
  n.ChangeState = state;
  n.Action = 2;
  n.Title = title;
  n.Body = std::string(300, 'b');
  return n;
}

// Load, then submit with nothing changed: every record goes back marked 1 and otherwise as read.
template <class Util, class Native>
void LoadAndSubmitBack(const char* helper, const std::vector<Native>& loaded,
                       bool (*write)(CxFile&, const Native&), bool (*read)(CxFile&, Native&)) {
  HelperSandbox box(helper);
  WriteFile(box.file("load.dat"), DataFileBytes(loaded, write));
  box.Switches("DataFrom=load.dat\nSaveSubmitted=sent.dat\nSaveParams=params.copy\n");
  Util u;
  u.SetFolder(box.folder());
  u.Runner().SetHelperFolder(box.helperFolder());
  ASSERT_TRUE(u.Load());
  ASSERT_EQ(u.Records().Count(), loaded.size());
  ASSERT_EQ(u.NativeCount(), loaded.size());
  for (std::uint32_t i = 0; i < u.Records().Count(); ++i) {
    EXPECT_TRUE(u.Records().Peek(static_cast<std::int32_t>(i))->NativeRecord.empty());
    EXPECT_EQ(u.Records().Peek(static_cast<std::int32_t>(i))->SourceType, kSourceGoogle);
  }
  // Neither an error file nor a status file is named: ten keys.
  EXPECT_EQ(ReadFile(box.file("params.copy")).substr(0, 4), std::string("\x0a\0\0\0", 4));

  ASSERT_TRUE(u.Submit());
  std::vector<Native> expected = loaded;
  for (Native& n : expected) n.ChangeState = 1;
  EXPECT_EQ(ReadFile(box.file("sent.dat")), DataFileBytes(expected, write));
  EXPECT_EQ(DataFileRecords<Native>(box.file("sent.dat"), read).size(), loaded.size());
  auto runs = box.Trace();
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[1].op, "2");
  // Nothing changed since: no further run.
  EXPECT_TRUE(u.Submit());
  EXPECT_EQ(box.Trace().size(), 2u);
}

TEST(CxGTaskUtil, SubmitAfterLoadSendsEveryRecordUnchanged) {
  LoadAndSubmitBack<CxGTaskUtil>("GTaskUtil", std::vector{Task("Call Ann", 0), Task("Pay", 2)},
                                 WriteGoogleTask, ReadGoogleTask);
}

TEST(CxGNoteUtil, SubmitAfterLoadSendsEveryRecordUnchanged) {
  LoadAndSubmitBack<CxGNoteUtil>("GNoteUtil", std::vector{Note("Ideas", 2), Note("List", 0)},
                                 WriteGoogleNote, ReadGoogleNote);
}

TEST(CxGTaskNoteUtil, MissingDataFileFailsTheLoadSilently) {
  HelperSandbox box("GNoteUtil");
  CxDebugUtil::Instance().SetFolder(box.folder());
  box.Switches("");
  {
    CxGNoteUtil u;
    u.SetFolder(box.folder());
    u.Runner().SetHelperFolder(box.helperFolder());
    EXPECT_FALSE(u.Load());
    EXPECT_FALSE(u.HasError());
    EXPECT_EQ(u.Records().Count(), 0u);
  }
  EXPECT_EQ(box.Trace().size(), 1u);
  EXPECT_EQ(ReadFile(box.file("appdebug.log")).find("GNote.dat"), std::string::npos);
  CxDebugUtil::Instance().SetFolder("./");
}

}  // namespace
