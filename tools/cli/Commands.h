#pragma once

#include <string>
#include <vector>

// Each command takes its arguments (after the command word) and returns the exit code:
// 0 success, 1 failure of the work, 2 bad usage or input.
int CompareCommand(const std::vector<std::string>& args);
int SettingsCommand(const std::vector<std::string>& args);
int GenerateCommand(const std::vector<std::string>& args);
int DumpCommand(const std::vector<std::string>& args);
int MigrateCommand(const std::vector<std::string>& args);
int AccountCommand(const std::vector<std::string>& args);
