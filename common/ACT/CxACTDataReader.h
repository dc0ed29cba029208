#pragma once

#include "helper/CxHelperDataReader.h"

// The ACT! helpers are started and waited for by the one helper runner.
using CxACTDataReader = CxHelperDataReader;
