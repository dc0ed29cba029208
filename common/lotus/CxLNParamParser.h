#pragma once

#include "helper/CxHelperParamParser.h"

// The Notes connectors write the shared parameter file; only their keys (LNParamKeys.h) differ.
using CxLNParamParser = CxHelperParamParser;
