#pragma once

#include <string>

namespace platform {

// An exclusive hold on a data folder, so that two programs never share its exchange files (one
// would read the other's parameters, data or status). It locks a file in the folder with flock,
// without waiting: a folder in use is refused at once. Within one process the hold is shared:
// the engine may keep the folder for a whole migration while connectors lock it again inside.
// Released by the last holder of the process; also by the system when the process ends.
class DataFolderLock {
 public:
  static constexpr const char* kLockFileName = "quillmove.lock";

  DataFolderLock() = default;
  explicit DataFolderLock(const std::string& folder) { Lock(folder); }
  DataFolderLock(const DataFolderLock&) = delete;
  DataFolderLock& operator=(const DataFolderLock&) = delete;
  ~DataFolderLock() { Unlock(); }

  // False when another program holds the folder or the lock file cannot be made; Error() says
  // which, for a person.
  bool Lock(const std::string& folder);
  void Unlock();
  bool Held() const { return !key_.empty(); }
  const std::string& Error() const { return error_; }

 private:
  std::string key_;  // the folder as the process-wide table knows it
  std::string error_;
};

}  // namespace platform
