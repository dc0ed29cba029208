// Feeds arbitrary bytes to every ".dat" loader. Whatever loads must write back and read the same.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "misc/CxDebugUtil.h"
#include "palm/PmAddrExUtil.h"
#include "palm/PmAddrUtil.h"
#include "palm/PmDateExUtil.h"
#include "palm/PmDateUtil.h"
#include "palm/PmMemoExUtil.h"
#include "palm/PmMemoUtil.h"
#include "palm/PmTodoExUtil.h"
#include "palm/PmTodoUtil.h"

namespace {

template <class Loader>
void Exercise(const std::uint8_t* data, std::size_t size) {
  PmMemorySource src(std::span<const std::uint8_t>(data, size));
  Loader db;
  if (!db.Load(src)) return;
  PmMemorySink sink;
  if (!db.Save(sink)) std::abort();
  PmMemorySource again(sink.Bytes());
  Loader back;
  if (!back.Load(again) || !(back.Records() == db.Records())) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Errors always reach the debug log; a fuzzing run would fill the disk with them.
  CxDebugUtil::Instance().SetFolder("/dev/");
  CxDebugUtil::Instance().SetFileName("null");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Exercise<PmAddrUtil>(data, size);
  Exercise<PmAddrExUtil>(data, size);
  Exercise<PmDateUtil>(data, size);
  Exercise<PmDateExUtil>(data, size);
  Exercise<PmTodoUtil>(data, size);
  Exercise<PmTodoExUtil>(data, size);
  Exercise<PmMemoUtil>(data, size);
  Exercise<PmMemoExUtil>(data, size);
  return 0;
}
