#include "cli/DumpFolders.h"

#include <stdlib.h>

#include <cstdio>
#include <filesystem>

#include "misc/CxDebugUtil.h"
#include "src/AppSettings.h"

ScratchFolder::ScratchFolder() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "quillmove-dump-XXXXXX").string();
  if (::mkdtemp(tmpl.data())) path_ = tmpl + "/";
}

ScratchFolder::~ScratchFolder() {
  std::error_code ec;
  if (!path_.empty()) std::filesystem::remove_all(path_, ec);
}

std::string DumpWorkFolder(const DumpArgs& a) {
  std::string folder;
  if (const std::string* f = a.Get("--folder")) {
    folder = *f;
    if (!folder.empty() && folder.back() != '/') folder += '/';
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
  } else if (!GetAppDataFolder(folder)) {
    std::fprintf(stderr, "quillmove-cli dump: cannot find or make the data folder\n");
    return {};
  }
  CxDebugUtil::Instance().SetFolder(folder);
  return folder;
}
