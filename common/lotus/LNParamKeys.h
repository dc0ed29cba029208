#pragma once

#include <cstdint>

// The parameter keys of the Lotus Notes connectors and their helper programs: one table for both
// sides of the parameter file. Every value travels as text.
enum LotusParamKey : std::int32_t {
  // Reserved texts; the helper takes 1001 as the password of the user ID file when given.
  kLNParamReserved1 = 1000,
  kLNParamPassword = 1001,
  kLNParamReserved3 = 1002,
  kLNParamDataFile = 1003,
  kLNParamFolder = 1004,
  kLNParamOperation = 1005,
  kLNParamErrorFile = 1006,
  kLNParamStatusFile = 1007,
  // The mail database (calendar, to-dos) or the notebook database.
  kLNParamDatabase = 1008,
  // The address-book database, in place of 1008 for contacts.
  kLNParamAddressBook = 1009,
  kLNParamLogFolder = 1010,
  kLNParamLogFile = 1011,
  kLNParamDebugLevel = 1012,
  kLNParamDebugEnabled = 1013,
  kLNParamIdFile = 1014,
};
