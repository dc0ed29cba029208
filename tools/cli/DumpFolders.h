#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "cli/DumpSources.h"

// A folder of our own for a connector that must not touch the files beside the one it reads.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  // Empty when none could be made.
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// The folder a helper-based dump exchanges its files in, with a separator: --folder (made when
// missing, like the data folder) or the data folder; the debug log goes there too. Empty after a
// message when there is none.
std::string DumpWorkFolder(const DumpArgs& a);

// Reads `TYPE [--native] [--option value ...]` after the application name (args[0]), allowing
// only the options named; 0, or the exit code after a message (`usage` when the type is
// missing).
int ParseHelperDumpArgs(const std::vector<std::string>& args, DumpArgs& a,
                        std::initializer_list<const char*> allowed, const char* usage);
