#pragma once

#include "helper/CxHelperParamParser.h"

// The ACT! connectors write the one parameter file every helper-based connector writes.
using CxACTParamParser = CxHelperParamParser;
