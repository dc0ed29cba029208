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

int ParseHelperDumpArgs(const std::vector<std::string>& args, DumpArgs& a,
                        std::initializer_list<const char*> allowed, const char* usage) {
  constexpr int kOk = 0, kBadInput = 2;
  if (args.size() < 2) {
    std::fprintf(stderr, "%s\n", usage);
    return kBadInput;
  }
  a.type = args[1];
  for (std::size_t i = 2; i < args.size(); ++i) {
    if (args[i] == "--native") {
      a.native = true;
      continue;
    }
    if (args[i].rfind("--", 0) != 0 || i + 1 >= args.size()) {
      std::fprintf(stderr, "quillmove-cli dump: expected --option value, got %s\n",
                   args[i].c_str());
      return kBadInput;
    }
    a.options[args[i]] = args[i + 1];
    ++i;
  }
  if (const std::string* bad = a.Unknown(allowed)) {
    std::fprintf(stderr, "quillmove-cli dump %s: unknown option %s\n", args[0].c_str(),
                 bad->c_str());
    return kBadInput;
  }
  return kOk;
}
