#pragma once

#include <string>

// Stand-ins for the shell's known folders and the module file name.
namespace platform {

// $XDG_DATA_HOME, or ~/.local/share; empty when neither can be found. No trailing separator.
std::string DataHome();

// $XDG_DOCUMENTS_DIR, or ~/Documents; empty when no home is known. No trailing separator.
std::string DocumentsFolder();

// Folder of the running executable, with a trailing separator; "./" when it cannot be read.
std::string ExecutableFolder();

// Creates the folder when missing (not its parents). True when it exists afterwards.
bool EnsureFolder(const std::string& path);

}  // namespace platform
