#pragma once

#include <cstdint>
#include <string>

#include "TestUtil.h"

struct RoundTripCounts {
  std::uint32_t contacts = 0, contactsSame = 0, events = 0, eventsSame = 0, submitted = 0;
};

// A data folder under a private XDG_DATA_HOME (our helpers keep the local account there) and
// whole migrations from Palm Desktop files into it, as `quillmove-cli migrate` runs them: load
// both sides, tick the new and different records, submit.
class RoundTrip {
 public:
  RoundTrip();
  TempDir& Home() { return home_; }
  std::string AccountFolder() const;

  // An empty path leaves that type off.
  bool Migrate(const std::string& addressFile, const std::string& dateFile);
  const RoundTripCounts& Counts() const { return counts_; }
  const std::string& Messages() const { return messages_; }
  // The source records of the last migration that were not the same, with their counterparts.
  const std::string& Differences() const { return differences_; }
  // The events of the last migration whose counterpart differs in what the comparison does not
  // look at but the account must keep: all-day form, pattern, reminders.
  const std::string& EventsWithOtherDetails() const { return details_; }

 private:
  TempDir home_;
  ScopedEnv xdg_;
  std::string folder_;
  RoundTripCounts counts_;
  std::string messages_, differences_, details_;
};
