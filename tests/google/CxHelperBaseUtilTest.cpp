#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "HelperTestUtil.h"
#include "google/CxGAppBaseUtil.h"
#include "helper/CxHelperDataUtil.h"
#include "misc/CommNoteMgr.h"

namespace {

using namespace std::chrono_literals;

// A small native layout: tag, change state, action, title, body.
struct FakeNote {
  std::int32_t RecordTag = 0;
  std::int32_t ChangeState = 0;
  std::int32_t Action = 0;
  std::string Title;
  std::string Body;
};

std::string NoteBytes(std::int32_t tag, std::int32_t state, std::int32_t action,
                      const std::string& title, const std::string& body) {
  return Bytes().I32(tag).I32(state).I32(action).Text(title).Text(body).str();
}

class FakeNoteUtil : public CxHelperDataUtil<CxGAppBaseUtil, FakeNote, CommNoteMgr> {
 public:
  explicit FakeNoteUtil(const HelperSandbox& box) {
    SetDataFileName("GFake.dat");
    SetParamFileName("GFakeParam.dat");
    SetErrorFileName("GFakeErr.dat");
    SetStatusFileName("GFakeStatus.dat");
    SetDataIniFileName("GFakeData.ini");
    SetProgramName("GFakeUtil.exe");
    SetFolder(box.folder());
    Runner().SetHelperFolder(box.helperFolder());
  }
  using CxHelperDataUtil::ReadDataFile;

 protected:
  const HelperTexts* Texts() const override {
    static const HelperTexts t{"Fake Notes", "Note", "Notes"};
    return &t;
  }
  std::uint32_t SourceTypeCode() const override { return kSourceGoogle; }
  bool ReadRecord(CxFile& f, FakeNote& n) override {
    f.ReadInt32(n.RecordTag);
    f.ReadInt32(n.ChangeState);
    f.ReadInt32(n.Action);
    f.ReadText(n.Title, 255);
    f.ReadText(n.Body, 1023);
    return !f.Failed();
  }
  void WriteRecord(CxFile& f, const FakeNote& n) override {
    f.WriteInt32(n.RecordTag);
    f.WriteInt32(n.ChangeState);
    f.WriteInt32(n.Action);
    f.WriteText(n.Title);
    f.WriteText(n.Body);
  }
  void ToCommon(const FakeNote& n, CommonNote& c) override {
    c.Title = n.Title;
    c.Body = n.Body;
  }
  void FromCommon(const CommonNote& c, FakeNote& n, HelperAction action) override {
    n.Title = c.Title.str();
    n.Body = c.Body.str();
    n.ChangeState = 2;
    n.Action = action;
  }
};

CommonNote Note(const char* title, const char* body) {
  CommonNote n;
  n.Title = title;
  n.Body = body;
  return n;
}

TEST(CxHelperDataUtil, LoadPassesTheKeysInOrderAndKeepsListsInStep) {
  HelperSandbox box;
  WriteFile(box.file("load.dat"), Bytes().I32(2).str() + NoteBytes(11, 0, 0, "Alpha", "one") +
                                      NoteBytes(12, 0, 0, "Beta", "two"));
  box.Switches("DataFrom=load.dat\nSaveParams=params.copy\n");
  FakeNoteUtil u(box);
  u.SetUser("ann@example.com");
  u.SetPassword("pw");
  u.SetLogFolder("/logs/");
  u.SetDebugLevel(2);
  u.SetDebugEnabled(true);
  ASSERT_TRUE(u.Load());
  EXPECT_FALSE(u.HasError());

  auto text = [](std::int32_t key, const std::string& value) {
    return Bytes().I32(key).I32(8).Text(value).str();
  };
  EXPECT_EQ(ReadFile(box.file("params.copy")),
            Bytes().I32(12).str() + text(1000, "ann@example.com") + text(1001, "pw") +
                text(1002, "GFake.dat") + text(1003, box.folder()) + text(1005, "1") +
                text(1004, "") + text(1009, "GFakeErr.dat") + text(1010, "GFakeStatus.dat") +
                text(1013, "/logs/") + text(1014, "appdebug.log") + text(1015, "2") +
                text(1016, "1"));
  // The password does not stay on disk once the helper is done.
  EXPECT_FALSE(std::filesystem::exists(box.file("GFakeParam.dat")));

  ASSERT_EQ(u.Records().Count(), 2u);
  ASSERT_EQ(u.NativeCount(), 2u);
  for (std::int32_t i = 0; i < 2; ++i) {
    CommonNote* c = u.Records().At(i);
    EXPECT_EQ(c->NativeRecord.As<FakeNote>(), u.NativeAt(static_cast<std::size_t>(i)));
    EXPECT_FALSE(c->NativeRecord.IsOwned());
    EXPECT_EQ(c->SourceType, kSourceGoogle);
  }
  EXPECT_EQ(u.Records().At(1)->Title, "Beta");

  // Loading again starts over.
  ASSERT_TRUE(u.Load());
  EXPECT_EQ(u.Records().Count(), 2u);
  EXPECT_EQ(u.NativeCount(), 2u);
}

TEST(CxHelperDataUtil, ErrorFileGivesTheLastErrorOnly) {
  struct Case {
    const char* name;
    const char* errorFile;  // null: none written
    bool hasError;
    const char* text;
  } cases[] = {
      {"none", nullptr, false, ""},
      {"zero", "[Error]\nError.Count=0\nError.1=old\n", false, ""},
      {"one", "[Error]\nError.Count=1\nError.1=Login failed\n", true, "Login failed"},
      {"three", "[Error]\nError.Count=3\nError.1=a\nError.2=b\nError.3=c\n", true, "c"},
      {"letters", "[Error]\nError.Count=abc\nError.1=a\n", false, ""},
      {"negative", "[Error]\nError.Count=-4\nError.1=a\n", false, ""},
      {"trailing", "[Error]\nError.Count=2x\nError.1=a\nError.2=b\n", true, "b"},
      {"huge", "[Error]\nError.Count=99999999999\nError.1=a\n", true,
       "The helper program reported an error without a description."},
      {"missing text", "[Error]\nError.Count=2\nError.1=a\n", true,
       "The helper program reported an error without a description."},
      {"other section", "[Other]\nError.Count=1\nError.1=a\n", false, ""},
      {"binary", "\x01\x02[Error\n\0\0=\xff\xfe\n", false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HelperSandbox box;
    WriteFile(box.file("load.dat"), Bytes().I32(0).str());
    std::string sw = "DataFrom=load.dat\n";
    if (c.errorFile) {
      WriteFile(box.file("err.src"), c.errorFile);
      sw += "ErrorFileFrom=err.src\n";
    }
    box.Switches(sw);
    FakeNoteUtil u(box);
    EXPECT_TRUE(u.Load());
    EXPECT_EQ(u.HasError(), c.hasError);
    EXPECT_EQ(u.ErrorText(), c.text);
  }
}

TEST(CxHelperDataUtil, ManyErrorsFromTheHelperAndLongText) {
  HelperSandbox box;
  box.Switches("Errors=12\n");
  FakeNoteUtil u(box);
  EXPECT_FALSE(u.Load());  // no data file either
  EXPECT_TRUE(u.HasError());
  EXPECT_EQ(u.ErrorText(), "Fake error 12");

  WriteFile(box.file("err.src"),
            "[Error]\nError.Count=1\nError.1=" + std::string(3000, 'e') + "\n");
  box.Switches("ErrorFileFrom=err.src\n");
  u.Load();
  EXPECT_EQ(u.ErrorText(), std::string(1023, 'e'));

  // An error file far beyond a report of a few lines is not read, but still means an error.
  WriteFile(box.file("err.src"), "[Error]\nError.Count=0\n" + std::string(2 << 20, ';'));
  u.Load();
  EXPECT_TRUE(u.HasError());
}

TEST(CxHelperDataUtil, StaleFilesOfAnEarlierRunAreNeverTakenForNewOnes) {
  HelperSandbox box;
  FakeNoteUtil u(box);
  // Left by an earlier run: a data file and an error file. This helper writes neither.
  WriteFile(box.file("GFake.dat"), Bytes().I32(1).str() + NoteBytes(1, 0, 0, "Old", ""));
  WriteFile(box.file("GFakeErr.dat"), "[Error]\nError.Count=1\nError.1=old\n");
  box.Switches("ExitNow=1\n");
  EXPECT_FALSE(u.Load());
  EXPECT_EQ(u.Records().Count(), 0u);
  WriteFile(box.file("GFakeErr.dat"), "[Error]\nError.Count=1\nError.1=old\n");
  u.AddRecord(Note("N", "b"), false);
  EXPECT_TRUE(u.Submit());
  EXPECT_FALSE(u.HasError());
}

TEST(CxHelperDataUtil, MalformedDataFilesFailWithoutHarm) {
  struct Case {
    const char* name;
    std::string bytes;
    std::uint32_t kept;
  } cases[] = {
      {"empty", "", 0},
      {"short count", "\x01\x00", 0},
      {"negative count", Bytes().I32(-1).str(), 0},
      {"count beyond records", Bytes().I32(0x7FFFFFFF).str() + NoteBytes(1, 0, 0, "A", "a"), 1},
      {"text longer than file", Bytes().I32(1).I32(1).I32(0).I32(0).I32(0x7FFFFFF0).str() + "xy",
       0},
      {"negative text length", Bytes().I32(1).I32(1).I32(0).I32(0).I32(-5).str(), 0},
      {"cut inside a record",
       Bytes().I32(2).str() + NoteBytes(1, 0, 0, "A", "a") +
           NoteBytes(2, 0, 0, "B", "b").substr(0, 15),
       1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HelperSandbox box;
    WriteFile(box.file("load.dat"), c.bytes);
    box.Switches("DataFrom=load.dat\n");
    FakeNoteUtil u(box);
    EXPECT_FALSE(u.Load());
    EXPECT_EQ(u.Records().Count(), c.kept);
    EXPECT_EQ(u.NativeCount(), c.kept);
  }
  // Every prefix of a good file, read without a helper run.
  std::string good =
      Bytes().I32(2).str() + NoteBytes(1, 0, 0, "A", "a") + NoteBytes(2, 0, 0, "B", "b");
  HelperSandbox box;
  for (std::size_t n = 0; n <= good.size(); ++n) {
    WriteFile(box.file("GFake.dat"), good.substr(0, n));
    FakeNoteUtil u(box);
    EXPECT_EQ(u.ReadDataFile(), n == good.size()) << n;
    EXPECT_EQ(u.Records().Count(), u.NativeCount());
  }
}

TEST(CxHelperDataUtil, AddOrUpdateThenOneSubmit) {
  HelperSandbox box;
  WriteFile(box.file("load.dat"), Bytes().I32(2).str() + NoteBytes(21, 0, 0, "Alpha", "one") +
                                      NoteBytes(22, 0, 0, "Beta", "two"));
  box.Switches("DataFrom=load.dat\nSaveSubmitted=sent.dat\n");
  FakeNoteUtil u(box);
  ASSERT_TRUE(u.Load());

  CommonNote same = Note("alpha", "one");  // titles compare without case
  EXPECT_FALSE(u.AddOrUpdate(&same, false));
  EXPECT_FALSE(u.AddOrUpdate(nullptr, false));
  CommonNote changed = Note("Beta", "two, changed");
  CommonNote fresh = Note("Gamma", "three");
  EXPECT_TRUE(u.AddOrUpdate(&changed, false));
  EXPECT_TRUE(u.AddOrUpdate(&fresh, false));
  EXPECT_EQ(u.Records().Count(), 3u);
  EXPECT_EQ(u.Records().At(1)->Body, "two, changed");
  EXPECT_EQ(u.Records().At(2)->NativeRecord.As<FakeNote>(), u.NativeAt(2));
  EXPECT_EQ(box.Trace().size(), 1u);

  ASSERT_TRUE(u.Submit());
  auto runs = box.Trace();
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[1].op, "2");
  EXPECT_EQ(ReadFile(box.file("sent.dat")),
            Bytes().I32(3).str() + NoteBytes(21, 0, 0, "Alpha", "one") +
                NoteBytes(22, 2, 2, "Beta", "two, changed") + NoteBytes(0, 2, 1, "Gamma", "three"));

  // Nothing changed since: no run.
  EXPECT_TRUE(u.Submit());
  EXPECT_EQ(box.Trace().size(), 2u);
  // Out-of-range positions are refused.
  EXPECT_FALSE(u.UpdateRecord(fresh, 3, false));
  EXPECT_FALSE(u.UpdateRecord(fresh, -1, false));
}

TEST(CxHelperDataUtil, SubmitNowAndFailedSubmitStaysPending) {
  HelperSandbox box;
  box.Switches("Errors=1\n");
  FakeNoteUtil u(box);
  ASSERT_NE(u.AddRecord(Note("A", "a"), /*submitNow=*/true), nullptr);
  EXPECT_EQ(box.Trace().size(), 1u);
  EXPECT_TRUE(u.HasError());
  // The helper failed: the records are still to be sent.
  box.Switches("");
  EXPECT_TRUE(u.Submit());
  EXPECT_EQ(box.Trace().size(), 2u);
  EXPECT_FALSE(u.HasError());
  EXPECT_TRUE(u.Submit());
  EXPECT_EQ(box.Trace().size(), 2u);
}

TEST(CxHelperDataUtil, ParameterFileThatCannotBeWrittenStartsNoHelper) {
  HelperSandbox box;
  FakeNoteUtil u(box);
  u.SetFolder(box.folder() + "missing");
  EXPECT_FALSE(u.Load());
  EXPECT_TRUE(u.HasError());
  EXPECT_TRUE(box.Trace().empty());
}

// A helper that outlived its wait is asked to stop when the connector goes away, and is never
// killed: one that obeys ends, one that ignores the request keeps running.
TEST(CxHelperDataUtil, DestructorAsksARunningHelperToStop) {
  for (bool ignore : {false, true}) {
    SCOPED_TRACE(ignore ? "ignores Stop" : "obeys Stop");
    HelperSandbox box;
    box.Switches(std::string("SleepMs=20000\n") + (ignore ? "IgnoreStop=1\n" : ""));
    long pid = 0;
    {
      FakeNoteUtil u(box);
      u.Runner().SetWaitLimit(150ms);
      EXPECT_FALSE(u.Load());
      auto runs = box.Trace();
      ASSERT_EQ(runs.size(), 1u);
      pid = runs[0].pid;
      // The parameter file stays for a helper that may still read it.
      EXPECT_TRUE(std::filesystem::exists(box.file("GFakeParam.dat")));
    }
    EXPECT_NE(ReadFile(box.file("GFakeData.ini")).find("Stop=1"), std::string::npos);
    if (ignore) {
      EXPECT_FALSE(WaitForExit(pid, 200ms));
      KillAndCollect(pid);
    } else {
      EXPECT_TRUE(WaitForExit(pid, 5s));
      EXPECT_TRUE(std::filesystem::exists(box.file("FakeHelperStopped.txt")));
    }
  }
}

// Two programs on one data folder would share the exchange files: the second is refused before
// it writes anything, and says why.
TEST(CxHelperDataUtil, AFolderInUseRunsNoHelperAndSaysSo) {
  HelperSandbox box;
  FakeNoteUtil u(box);
  // A lock taken through another open file is held against us as another program's would be.
  int other = ::open((box.folder() + "quillmove.lock").c_str(), O_RDWR | O_CREAT, 0600);
  ASSERT_GE(other, 0);
  ASSERT_EQ(::flock(other, LOCK_EX), 0);
  std::string busy = "Another Quillmove program is using the data folder " + box.folder() + ".";
  EXPECT_FALSE(u.Load());
  EXPECT_EQ(u.ErrorText(), busy);
  EXPECT_EQ(u.Report().reason, busy);
  EXPECT_FALSE(u.Submit());
  EXPECT_TRUE(box.Trace().empty());
  EXPECT_FALSE(std::filesystem::exists(box.file("GFakeParam.dat")));
  ::close(other);
  u.Load();
  EXPECT_NE(u.ErrorText(), busy);
  EXPECT_EQ(box.Trace().size(), 1u);
}

// The runner's own failure is the text the person sees, not an empty one.
TEST(CxHelperDataUtil, AHelperThatCannotBeStartedSaysWhat) {
  HelperSandbox box;
  FakeNoteUtil u(box);
  u.Runner().SetHelperFolder(box.folder() + "nowhere");
  EXPECT_FALSE(u.Load());
  EXPECT_TRUE(u.HasError());
  EXPECT_EQ(u.ErrorText(), "The helper program " + box.folder() +
                               "nowhere/GFakeUtil.exe could not be started: No such file or "
                               "directory.");
  EXPECT_EQ(u.Report().reason, u.ErrorText());
  EXPECT_EQ(u.Report().records, 0u);
}

// A FIFO in the data file's place would block the read for ever.
TEST(CxHelperDataUtil, OnlyARegularFileIsReadAsDataFile) {
  HelperSandbox box;
  FakeNoteUtil u(box);
  ASSERT_EQ(::mkfifo(box.file("fifo.dat").c_str(), 0600), 0);
  EXPECT_FALSE(u.ReadDataFile(box.file("fifo.dat")));
  EXPECT_EQ(u.Report().reason,
            "The data file " + box.file("fifo.dat") + " cannot be read: not a regular file.");
}

}  // namespace
