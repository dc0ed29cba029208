// Writes a large layout-1 date book for timing `quillmove-cli dump palm calendar`:
//   pm_big_datebook SAMPLE.dat OUT.dat [MEGABYTES]   copies of a sample's records
//   pm_big_datebook --varied COUNT OUT.dat [SEED]    independently varied records
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "PmVariedDatebook.h"
#include "palm/PmDateUtil.h"

namespace {

int Written(PmDateUtil& db, const char* path, std::size_t live) {
  if (!db.SaveAs(path)) {
    std::fprintf(stderr, "cannot write %s\n", path);
    return 1;
  }
  std::printf("%s: %zu records (%zu live), %ju bytes\n", path, db.Records().size(), live,
              static_cast<std::uintmax_t>(std::filesystem::file_size(path)));
  return 0;
}

std::size_t LiveCount(const PmDateUtil& db) {
  std::size_t live = 0;
  for (const auto& r : db.Records()) live += PmIsLive(r.status) && PmDateUtil::IsScheduled(r);
  return live;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 4 && std::strcmp(argv[1], "--varied") == 0) {
    const auto count = static_cast<std::size_t>(std::strtoull(argv[2], nullptr, 10));
    const auto seed =
        argc > 4 ? static_cast<std::uint32_t>(std::strtoul(argv[4], nullptr, 10)) : 1u;
    PmDateUtil db;
    const std::size_t live = PmVariedDatebook(seed).Fill(db, count);
    return Written(db, argv[3], live);
  }
  if (argc < 3) {
    std::fprintf(stderr,
                 "usage: pm_big_datebook SAMPLE.dat OUT.dat [MEGABYTES]\n"
                 "       pm_big_datebook --varied COUNT OUT.dat [SEED]\n");
    return 2;
  }
  const double megabytes = argc > 3 ? std::atof(argv[3]) : 50.0;
  PmDateUtil db;
  if (!db.Load(argv[1])) {
    std::fprintf(stderr, "cannot read %s\n", argv[1]);
    return 1;
  }
  const auto sample = db.Records();
  const auto sampleBytes = std::filesystem::file_size(argv[1]);
  const auto copies =
      static_cast<std::size_t>(megabytes * 1e6 / static_cast<double>(sampleBytes)) + 1;
  std::int32_t nextId = 1;
  db.Records().clear();
  for (std::size_t c = 0; c < copies; ++c) {
    for (auto rec : sample) {
      rec.recordId = nextId++;
      db.Records().push_back(std::move(rec));
    }
  }
  return Written(db, argv[2], LiveCount(db));
}
