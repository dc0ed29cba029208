#pragma once

#include <cstdint>

// `Status` of a common record after matching.
enum RecordStatus : std::uint32_t { kStatusSame = 0, kStatusNew = 1, kStatusDiff = 2 };

// Results of a manager's Lookup.
enum LookupResult : int { kLookupNull = -1, kLookupSame = 1, kLookupNew = 2, kLookupDiff = 3 };

// `SourceType` values written by the connectors.
enum SourceTypeCode : std::uint32_t {
  kSourcePalm = 1,
  kSourceOutlook = 3,
  kSourceGoogle = 8,
  kSourceLotusNotes = 9,
  kSourceACT = 17,
};
