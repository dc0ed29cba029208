#pragma once

#include <cstddef>
#include <string>
#include <utility>

// What a load tells beyond success: how many records it kept and, when it kept only part of its
// input, where and why it stopped. A partial load still succeeds; the caller must say so.
struct CxLoadReport {
  std::size_t records = 0;  // records kept
  bool complete = true;     // false: the rest of the input could not be read
  std::string stoppedAt;    // when incomplete: where and why, for the person ("byte 1,234: ...")
  std::string reason;       // when the load failed: the first cause, for the person

  void Reset() { *this = CxLoadReport{}; }
  void StopAt(std::string where) {
    complete = false;
    stoppedAt = std::move(where);
  }
};
