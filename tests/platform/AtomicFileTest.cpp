#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "TestUtil.h"
#include "platform/AtomicFile.h"

namespace {

std::size_t Entries(const std::string& folder) {
  std::size_t n = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(folder)) ++n;
  return n;
}

TEST(AtomicFileBatch, CommitPutsEveryFileInPlace) {
  TempDir dir;
  WriteFile(dir.file("old"), "old content");
  platform::AtomicFileBatch batch;
  ASSERT_TRUE(batch.Stage(dir.file("old"), "new content"));
  ASSERT_TRUE(batch.Stage(dir.file("a"), "A"));
  ASSERT_TRUE(batch.Stage(dir.file("b"), ""));
  EXPECT_EQ(ReadFile(dir.file("old")), "old content");  // nothing visible before the commit
  EXPECT_TRUE(batch.Commit().empty());
  EXPECT_EQ(ReadFile(dir.file("old")), "new content");
  EXPECT_EQ(ReadFile(dir.file("a")), "A");
  EXPECT_TRUE(std::filesystem::exists(dir.file("b")));
  EXPECT_EQ(Entries(dir.path()), 3u);  // no temporaries left
  EXPECT_EQ(std::filesystem::status(dir.file("a")).permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST(AtomicFileBatch, AnAbandonedBatchLeavesTheFilesAsTheyWere) {
  TempDir dir;
  WriteFile(dir.file("keep"), "kept");
  {
    platform::AtomicFileBatch batch;
    ASSERT_TRUE(batch.Stage(dir.file("keep"), "lost"));
    ASSERT_TRUE(batch.Stage(dir.file("new"), "lost"));
  }
  EXPECT_EQ(ReadFile(dir.file("keep")), "kept");
  EXPECT_EQ(Entries(dir.path()), 1u);
  platform::AtomicFileBatch bad;
  EXPECT_FALSE(bad.Stage(dir.file("missing-folder/x"), "y"));
  EXPECT_FALSE(bad.Stage("", "y"));
  EXPECT_TRUE(bad.Commit().empty());
}

TEST(AtomicFile, ReplaceIsWholeAndOwnerOnly) {
  TempDir dir;
  WriteFile(dir.file("f"), std::string(100000, 'x'));
  ASSERT_TRUE(platform::WriteFileAtomically(dir.file("f"), "short"));
  EXPECT_EQ(ReadFile(dir.file("f")), "short");
  EXPECT_EQ(Entries(dir.path()), 1u);
  EXPECT_FALSE(platform::WriteFileAtomically(dir.file("no/such/folder"), "x"));
}

}  // namespace

namespace {

// A link at the path is either replaced by the file or kept, its target replaced.
TEST(AtomicFileWriter, SymlinkIsReplacedOrFollowedOnRequest) {
  TempDir dir;
  for (bool follow : {false, true}) {
    WriteFile(dir.file("target"), "old");
    std::filesystem::remove(dir.file("link"));
    std::filesystem::create_symlink("target", dir.file("link"));
    platform::AtomicFileWriter w;
    ASSERT_TRUE(w.Open(dir.file("link"), 0600, follow));
    ASSERT_TRUE(w.Write("new"));
    ASSERT_TRUE(w.Commit());
    EXPECT_EQ(std::filesystem::is_symlink(dir.file("link")), follow);
    EXPECT_EQ(ReadFile(dir.file("target")), follow ? "new" : "old");
    EXPECT_EQ(ReadFile(dir.file("link")), "new");
    EXPECT_EQ(Entries(dir.path()), 2u);
  }
}

// Each writer gets its own temporary: two at once never mix.
TEST(AtomicFileWriter, TwoWritersOfOneFileDoNotShareATemporary) {
  TempDir dir;
  platform::AtomicFileWriter a, b;
  ASSERT_TRUE(a.Open(dir.file("f")));
  ASSERT_TRUE(b.Open(dir.file("f")));
  ASSERT_TRUE(a.Write("from a"));
  ASSERT_TRUE(b.Write("from b, longer"));
  ASSERT_TRUE(b.Commit());
  ASSERT_TRUE(a.Commit());
  EXPECT_EQ(ReadFile(dir.file("f")), "from a");
  EXPECT_EQ(Entries(dir.path()), 1u);
}

// Users.dat, registry files and the helpers' index are read whole: a FIFO or a device in their
// place must fail at once, not block or run on for ever.
TEST(ReadWholeFile, OnlyRegularFilesWithinTheLimit) {
  TempDir dir;
  WriteFile(dir.file("f"), "12345");
  ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);
  std::string out;
  EXPECT_TRUE(platform::ReadWholeFile(dir.file("f"), out));
  EXPECT_EQ(out, "12345");
  EXPECT_FALSE(platform::ReadWholeFile(dir.file("f"), out, 4));
  EXPECT_TRUE(out.empty());
  EXPECT_TRUE(platform::ReadWholeFile(dir.file("f"), out, 5));
  for (const std::string& path : {dir.file("fifo"), std::string("/dev/zero"), dir.path()})
    EXPECT_FALSE(platform::ReadWholeFile(path, out)) << path;
}

}  // namespace
