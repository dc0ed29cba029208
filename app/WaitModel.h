#pragma once

// The wait-window model, included from this one place so that its folder can move.
#include "helper/CxCommWaitWindow.h"
