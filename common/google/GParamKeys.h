#pragma once

#include <cstdint>

// The parameter keys of the Google connectors and their helper programs: one table for both
// sides of the parameter file.
enum GoogleParamKey : std::int32_t {
  kGParamUser = 1000,
  kGParamPassword = 1001,
  kGParamDataFile = 1002,
  kGParamFolder = 1003,
  kGParamExtra = 1004,
  kGParamOperation = 1005,
  // Calendar only: two texts the helper expects empty, then the calendar definition file.
  kGParamCalendar1 = 1006,
  kGParamCalendar2 = 1007,
  kGParamCalendarFile = 1008,
  kGParamErrorFile = 1009,
  kGParamStatusFile = 1010,
  kGParamLogFolder = 1013,
  kGParamLogFile = 1014,
  kGParamDebugLevel = 1015,
  kGParamDebugEnabled = 1016,
};
