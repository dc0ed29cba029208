#pragma once

#include <string>
#include <string_view>

#include <sys/types.h>

namespace platform {

// Replaces the file at `path` with `content` so that a crash leaves either the old or the new
// file, never a mix: write a temporary beside it, flush it to disk, rename it over the old one.
// `mode` is applied to the new file (owner-only by default, as such files may hold passwords).
bool WriteFileAtomically(const std::string& path, std::string_view content, mode_t mode = 0600);

// Reads a whole file; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& out);

}  // namespace platform
