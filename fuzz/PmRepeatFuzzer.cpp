// Reads repeat-rule bodies one after another, as a file's record block does, so that class
// back-references meet the classes named before them. Every rule read must write back the same.
#include <cstdint>
#include <cstdlib>

#include "palm/PmByteSource.h"
#include "palm/PmRepeat.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  PmMemorySource src(std::span<const std::uint8_t>(data, size));
  PmRepeatReader reader;
  PmRepeat rule;
  while (src.BytesLeft() > 0 && reader.Read(src, rule)) {
    PmMemorySink sink;
    PmWriteRepeat(sink, rule);
    PmMemorySource again(sink.Bytes());
    PmRepeatReader fresh;
    PmRepeat back;
    if (!fresh.Read(again, back) || !(back == rule) || again.BytesLeft() != 0) std::abort();
  }
  return 0;
}
