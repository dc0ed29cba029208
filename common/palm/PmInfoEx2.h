#pragma once

#include <cstdint>

#include "misc/FixedText.h"

class PmDataAccessor;

// The "Information" table of a 6.x database: name and value pairs.
struct PmInfoEx2 {
  std::int32_t version = 0;
  std::int32_t minorVersion = 0;
  std::int32_t codePage = 0;
  std::int32_t preSahara = 0;
  std::int32_t nextFreeRecordId = 0;
  FixedText<1024> tableString;

  // Fills the known slots from the table; false without rows.
  bool Load(PmDataAccessor& accessor);
};
