// Writes a large layout-1 date book made of copies of a sample's records, for timing
// `quillmove-cli dump palm calendar`: pm_big_datebook SAMPLE.dat OUT.dat [MEGABYTES]
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "palm/PmDateUtil.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: pm_big_datebook SAMPLE.dat OUT.dat [MEGABYTES]\n");
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
  if (!db.SaveAs(argv[2])) {
    std::fprintf(stderr, "cannot write %s\n", argv[2]);
    return 1;
  }
  std::printf("%s: %zu records, %ju bytes\n", argv[2], db.Records().size(),
              static_cast<std::uintmax_t>(std::filesystem::file_size(argv[2])));
  return 0;
}
