#pragma once

#include <cstdint>

// The parameter keys of the ACT! connectors and their helper programs, in the order they go into
// the parameter file: one table for both sides.
enum ACTParamKey : std::int32_t {
  kACTParamDatabase = 1000,
  kACTParamUser = 1001,
  kACTParamPassword = 1002,
  kACTParamDataFile = 1003,
  kACTParamFolder = 1004,
  kACTParamOperation = 1005,
  kACTParamErrorFile = 1006,
  kACTParamStatusFile = 1007,
  // To-do connector only: "1" or "0".
  kACTParamOpportunities = 1008,
  kACTParamOpportunityNotes = 1009,
  kACTParamLogFolder = 1012,
  kACTParamLogFile = 1013,
  kACTParamDebugLevel = 1014,
  kACTParamDebugEnabled = 1015,
};
