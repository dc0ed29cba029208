#pragma once

#include <cstdint>
#include <map>
#include <string>

// The parameter file a connector hands to its helper: an int32 count, then key, variant type and
// value of each entry. Texts are kept as they are; numbers and flags as decimal text, so that
// every key reads the same way whatever type the connector chose.
class HelperParams {
 public:
  // Connectors write a few dozen entries; anything far beyond is not a parameter file.
  static constexpr std::int32_t kMaxEntries = 1000;
  // Connectors cut texts to 1,023 bytes; keep a margin for other writers.
  static constexpr std::size_t kMaxTextBytes = 4095;

  // False when the file cannot be read or is broken; entries read before the break are kept.
  bool Read(const std::string& path);

  bool Has(std::int32_t key) const { return values_.count(key) != 0; }
  std::string Text(std::int32_t key) const;
  int Int(std::int32_t key, int fallback) const;

 private:
  std::map<std::int32_t, std::string> values_;
};
