// Writes a Palm Desktop 4.1.4 address book and date book of COUNT records each, for timing
// `quillmove-cli migrate`: qm_palm_bench_files FOLDER COUNT
#include <cstdio>
#include <cstdlib>
#include <string>

#include "palm/PmAddrExUtil.h"
#include "palm/PmDateExUtil.h"

namespace {

template <class Loader>
void Prepare(Loader& db, const std::string& path) {
  PmCategoryMgr& cats = db.EnsureCategories();
  cats.Add({1, 10, "Business", "", 0});
  db.Header().fileName = path;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: qm_palm_bench_files FOLDER COUNT\n");
    return 2;
  }
  const std::string folder = std::string(argv[1]) + "/";
  const int count = std::atoi(argv[2]);

  PmAddrExUtil addr;
  Prepare(addr, folder + "address.dat");
  for (int i = 0; i < 9; ++i) addr.Header().labels.push_back({"Custom " + std::to_string(i), 0});
  for (int i = 0; i < count; ++i) {
    PmAddrExRecord r{};
    r.recordId = i + 1;
    r.firstName = "Given" + std::to_string(i);
    r.lastName = "Family" + std::to_string(i % 997);
    r.company = "Company " + std::to_string(i % 101);
    r.title = "Engineer";
    r.phone[0] = "+1 555 " + std::to_string(1000000 + i);
    r.phone[4] = "given" + std::to_string(i) + "@example.com";
    r.phoneLabel = {0, 1, 2, 3, 4, 5, 6};
    r.work.street = std::to_string(i) + " Main Street";
    r.work.city = "Springfield";
    r.note = "Met at the fair.\r\nCall back in spring.";
    r.categoryName = "Business";
    addr.Records().push_back(std::move(r));
  }
  PmDateExUtil date;
  Prepare(date, folder + "datebook.dat");
  const std::int32_t base = 1262304000;  // 2010-01-01
  for (int i = 0; i < count; ++i) {
    PmDateExRecord r{};
    r.recordId = i + 1;
    r.start = base + i * 3600 * 7;
    r.end = r.start + 1800;
    r.description = "Meeting " + std::to_string(i);
    r.location = "Room " + std::to_string(i % 50);
    r.note = "Agenda item " + std::to_string(i);
    r.categoryName = "Business";
    date.Records().push_back(std::move(r));
  }
  if (!addr.SaveAs(folder + "address.dat") || !date.SaveAs(folder + "datebook.dat")) {
    std::fprintf(stderr, "cannot write into %s\n", folder.c_str());
    return 1;
  }
  std::printf("%s: %d contacts, %d events\n", folder.c_str(), count, count);
  return 0;
}
