#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Palm Desktop users and the user library. Palm Desktop keeps the list of its users in
// "Users.dat" in its folder; the user-management library answers from it. This stand-in reads
// that file itself, so that a Palm Desktop folder copied from a Windows machine gives exactly the
// users and HotSync ids Palm Desktop used.

struct PmUser {
  std::int32_t UserID = 0;
  std::string UserName;       // at most 63 bytes
  std::string UserDirectory;  // sub-folder of the Palm Desktop folder, at most 255 bytes
};

// Reads the user entries of a Users.dat image. True when every counted user was found; a damaged
// file gives false with the users that could be read.
bool ParseUsersDat(std::span<const std::uint8_t> bytes, std::vector<PmUser>& users);

// The user library over one Palm Desktop folder.
class PmUserLibrary {
 public:
  // Fails for the missing-library or missing-function cases, as the library's own callers see it.
  static constexpr std::int16_t kNoLibrary = -100;

  // `folder` ends with a separator.
  explicit PmUserLibrary(std::string folder);

  std::int16_t UmGetUserCount() const;
  // 0 on success.
  int UmGetUserID(std::int16_t index, std::int32_t& id) const;
  // Zero-terminated texts cut to `size`; `size` gets the length written. 0 on success.
  int UmGetUserName(std::int32_t id, char* buffer, std::int16_t& size) const;
  int UmGetUserDirectory(std::int32_t id, char* buffer, std::int16_t& size) const;
  // The data root, ending with a separator; non-zero on success.
  int UmGetRootDirectory(char* buffer, std::int16_t& size) const;

  // Where the users came from, for the log.
  bool FromUsersDat() const { return fromUsersDat_; }

 private:
  const PmUser* Find(std::int32_t id) const;

  std::string folder_;
  std::vector<PmUser> users_;
  bool found_ = false;
  bool fromUsersDat_ = false;
};

// The Palm Desktop folder, ending with a separator: "PDPath" of section "Path" in "korvane.ini"
// beside the program, else the registry's "DesktopPath", else the folder of "HotSyncPath".
// 0, or -100 bad arguments, -101 not found, -102 the buffer is too small.
int GetPalmDesktopFolder(char* buffer, std::size_t size);
int GetPalmDesktopFolder(std::string& folder);

// major * 10000 + minor * 100 + build of palm.exe; 0xFFFFFFFF when it cannot be read.
std::uint32_t GetPalmDesktopVersion();

enum PalmLibrary : unsigned { kLibCondMgr = 1, kLibUserData = 2, kLibHsApi = 4, kLibInstAide = 8 };
// Loads the requested libraries in order; the first failure ends it with false. `folder` may be
// empty for the Palm Desktop folder.
bool LoadPalmLibraries(unsigned flags, const std::string& folder = {});
void UnloadPalmLibraries();

// Builds the user list once per process; later calls do nothing.
void DiscoverPalmUsers();
const std::vector<PmUser>& PalmUsers();
// The user's data folder: data root, user sub-folder and a separator.
bool GetUserDataFolder(std::int32_t userId, char* buffer, std::int16_t& size);
bool GetUserDataFolder(std::int32_t userId, std::string& folder);
// Forgets the discovery and the libraries (tests).
void ResetPalmUsers();
