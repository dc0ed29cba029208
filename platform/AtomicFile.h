#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <sys/types.h>

namespace platform {

// Replaces one file whole: writes go to a temporary with a unique name in the file's own folder;
// Commit flushes it to disk, checks the close, renames it over the file and syncs the folder.
// Until then (and after any failure) the previous file stays as it was, and an uncommitted
// temporary is removed. `mode` applies to the new file (owner-only by default: such files may
// hold passwords).
class AtomicFileWriter {
 public:
  AtomicFileWriter() = default;
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;
  ~AtomicFileWriter() { Abort(); }

  // With `replaceLinkTarget`, a symbolic link at `path` stays and its target is replaced;
  // otherwise the link itself is replaced by the new file.
  bool Open(const std::string& path, mode_t mode = 0600, bool replaceLinkTarget = false);
  bool IsOpen() const { return fd_ >= 0; }
  // The temporary's descriptor, for writers with their own buffering; -1 when not open.
  int Descriptor() const { return fd_; }
  // A failed write sticks: Commit then fails.
  bool Write(std::string_view data);
  // Marks the file as failed from outside (a buffered writer's own error).
  void Fail(int error);
  // `sync` false skips the flush to disk (a caller that syncs many files at once).
  bool Commit(bool sync = true);
  // Closes the temporary without renaming it and hands it over (empty on failure): for a batch
  // that syncs and renames many at once.
  std::string CloseUnrenamed();
  // Drops the temporary; the previous file stays.
  void Abort();

  const std::string& Path() const { return path_; }
  // Why the last Open, Write or Commit failed, for a person ("No space left on device").
  const std::string& Error() const { return error_; }

 private:
  bool Failed(int error);

  int fd_ = -1;
  std::string path_;  // the file replaced (the link's target when asked)
  std::string temp_;
  std::string error_;
  bool failed_ = false;
};

// Replaces the file at `path` with `content` through an AtomicFileWriter. `error` gets the reason
// of a failure.
bool WriteFileAtomically(const std::string& path, std::string_view content, mode_t mode = 0600,
                         std::string* error = nullptr);

// Many atomic replaces that share one flush: each file is written to a temporary beside it,
// Commit() makes all of them durable with one file-system sync and then renames them into place.
// A crash before the renames leaves only temporaries; the files themselves are whole, old or new.
class AtomicFileBatch {
 public:
  AtomicFileBatch() = default;
  AtomicFileBatch(const AtomicFileBatch&) = delete;
  AtomicFileBatch& operator=(const AtomicFileBatch&) = delete;
  // Removes the temporaries of an uncommitted batch.
  ~AtomicFileBatch();

  bool Stage(const std::string& path, std::string_view content, mode_t mode = 0600);
  // The paths that could not be put in place (empty when all were).
  std::vector<std::string> Commit();

 private:
  std::vector<std::pair<std::string, std::string>> staged_;  // temporary, final path
};

// Reads a whole regular file of at most maxBytes; false when it cannot be opened or read, is
// larger, or is no regular file (a FIFO or a device would block or never end).
bool ReadWholeFile(const std::string& path, std::string& out,
                   std::size_t maxBytes = static_cast<std::size_t>(-1));

}  // namespace platform
