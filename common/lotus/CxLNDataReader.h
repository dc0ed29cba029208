#pragma once

#include <string>

#include "helper/CxHelperDataReader.h"

// The Notes helpers run through the shared runner; what differs is their current directory, the
// Notes program folder, which CxLNBaseUtil hands to the runner before each run.
using CxLNDataReader = CxHelperDataReader;

// The Notes program folder ("Path" under SOFTWARE\Lotus\Notes of the local machine), with a
// trailing separator; empty when Notes is not installed.
std::string LotusNotesProgramFolder();
