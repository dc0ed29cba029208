#pragma once

#include <memory>
#include <string>

#include "AccountBackend.h"
#include "BackendSettings.h"

// The back end that serves an account with these settings; null with a reason for the person
// when none can.
std::unique_ptr<AccountBackend> MakeAccountBackend(const AccountSettings& settings,
                                                   std::string& error);
