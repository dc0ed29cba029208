#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include "TestUtil.h"
#include "platform/DataFolderLock.h"

namespace {

// Another program holding the folder until told to let go.
class OtherProgram {
 public:
  explicit OtherProgram(const std::string& folder) {
    int ready[2], release[2];
    if (::pipe(ready) != 0 || ::pipe(release) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(release[1]);
      // As another program would: its own open of the lock file (a forked copy of our table
      // would count as this process).
      int fd = ::open((folder + "/" + platform::DataFolderLock::kLockFileName).c_str(),
                      O_RDWR | O_CREAT, 0600);
      char c = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? 'y' : 'n';
      (void)!::write(ready[1], &c, 1);
      (void)!::read(release[0], &c, 1);
      ::_exit(0);
    }
    char c = 0;
    held_ = ::read(ready[0], &c, 1) == 1 && c == 'y';
    release_ = release[1];
    ::close(ready[0]);
    ::close(ready[1]);
    ::close(release[0]);
  }
  ~OtherProgram() { End(); }
  bool held() const { return held_; }
  void End() {
    if (pid_ <= 0) return;
    ::close(release_);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

 private:
  pid_t pid_ = -1;
  int release_ = -1;
  bool held_ = false;
};

TEST(DataFolderLock, ASecondProgramIsToldTheFolderIsBusy) {
  TempDir dir;
  OtherProgram other(dir.path());
  ASSERT_TRUE(other.held());
  platform::DataFolderLock lock;
  EXPECT_FALSE(lock.Lock(dir.path()));
  EXPECT_FALSE(lock.Held());
  EXPECT_EQ(lock.Error(), "Another Quillmove program is using the data folder " + dir.path() + ".");
  other.End();
  EXPECT_TRUE(lock.Lock(dir.path()));
}

// The engine holds the folder for a whole migration; connectors lock it again inside, and the
// folder stays held until the last of them lets go.
TEST(DataFolderLock, SharedWithinTheProcess) {
  TempDir dir;
  {
    platform::DataFolderLock outer(dir.path());
    ASSERT_TRUE(outer.Held());
    {
      platform::DataFolderLock inner(dir.path() + "/");
      EXPECT_TRUE(inner.Held());
    }
    OtherProgram other(dir.path());
    EXPECT_FALSE(other.held());
  }
  OtherProgram after(dir.path());
  EXPECT_TRUE(after.held());
}

TEST(DataFolderLock, AFolderThatCannotHoldTheLockFileSaysWhy) {
  TempDir dir;
  platform::DataFolderLock lock(dir.file("missing"));
  EXPECT_FALSE(lock.Held());
  EXPECT_NE(lock.Error().find("cannot be locked: No such file or directory"), std::string::npos)
      << lock.Error();
}

}  // namespace
