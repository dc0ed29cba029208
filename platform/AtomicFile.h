#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <sys/types.h>

namespace platform {

// Replaces the file at `path` with `content` so that a crash leaves either the old or the new
// file, never a mix: write a temporary beside it, flush it to disk, rename it over the old one.
// `mode` is applied to the new file (owner-only by default, as such files may hold passwords).
bool WriteFileAtomically(const std::string& path, std::string_view content, mode_t mode = 0600);

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

// Reads a whole file; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& out);

}  // namespace platform
