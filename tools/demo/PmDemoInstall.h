#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A sample Palm Desktop 4.x installation written with our own Palm writers: "Users.dat" with two
// users, their address books, date books, to-do lists and memo pads, and a "palm.exe" that says
// which Palm Desktop wrote them. Everything comes from one seed, so the same options give the
// same files (dates are local times, so the raw values follow the writing process's time zone,
// as Palm Desktop's own do).

struct PmDemoOptions {
  std::uint32_t seed = 20090401;
  // Live records of the first user; a few deleted, archived and unscheduled ones come on top.
  std::size_t contacts = 300;
  std::size_t events = 240;
  std::size_t todos = 40;
  std::size_t memos = 24;
};

struct PmDemoUser {
  std::int32_t id = 0;
  std::string name;
  std::string folder;  // sub-folder of the installation
  int layout = 0;      // the .dat layout of the user's files
  std::uint32_t codePage = 0;
  // What the Palm sources should give: live (and, for the date book, scheduled) records.
  std::size_t contacts = 0, events = 0, todos = 0, memos = 0;
  // Records in the files besides those: deleted, archived, unscheduled.
  std::size_t hidden = 0;
};

struct PmDemoInstallation {
  std::vector<PmDemoUser> users;
  std::uint16_t version[4] = {4, 1, 4, 0};  // palm.exe's file version
};

// Writes the installation into `folder`. It is built beside it and moved into place whole, so a
// failed run leaves what was there; an existing folder is replaced only when an earlier run of
// this tool made it. False with the reason in `error`.
bool WritePalmDemoInstallation(const std::string& folder, const PmDemoOptions& options,
                               PmDemoInstallation& out, std::string& error);

struct PmVariedDatebookCounts {
  std::size_t records = 0, live = 0, repeating = 0;
};

// A layout-1 date book of `records` records drawn independently of each other: most repeat,
// some are deleted, archived or unscheduled, for load tests of the date-book reader.
bool WriteVariedDatebook(const std::string& path, std::size_t records, std::uint32_t seed,
                         PmVariedDatebookCounts& counts, std::string& error);
