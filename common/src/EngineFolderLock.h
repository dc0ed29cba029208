#pragma once

#include <string>

// An exclusive hold on a data folder: a flock on "quillmove.lock" in it, so that two programs
// never drive helpers over the same exchange files. Released when the object goes.
// TODO(lead): replace with platform's DataFolderLock.
class EngineFolderLock {
 public:
  enum class Result { kHeld, kBusy, kFailed };

  EngineFolderLock() = default;
  EngineFolderLock(const EngineFolderLock&) = delete;
  EngineFolderLock& operator=(const EngineFolderLock&) = delete;
  ~EngineFolderLock() { Release(); }

  // `folder` ends with a separator. Never waits: a folder held elsewhere is kBusy.
  Result Acquire(const std::string& folder);
  void Release();
  // Why the last Acquire failed (kFailed).
  const std::string& Error() const { return error_; }

  static constexpr const char* kFileName = "quillmove.lock";

 private:
  int fd_ = -1;
  std::string error_;
};
