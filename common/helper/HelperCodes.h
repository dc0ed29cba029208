#pragma once

#include <cstdint>

// The codes both sides of a helper run agree on: the connector that writes the parameter and data
// files, and the helper program that reads them.

// Variant type codes of the parameter file entries.
enum ParamType : std::int32_t {
  kParamInt32 = 3,
  kParamNumber = 5,  // held as a double, written as its integer part
  kParamText = 8,
  kParamBool = 11,
};

// The operation parameter, as decimal text.
enum HelperOperation : int { kHelperLoad = 1, kHelperSubmit = 2 };

// Action marks of a native record to submit.
enum HelperAction : std::int32_t { kHelperActionAdd = 1, kHelperActionUpdate = 2 };
