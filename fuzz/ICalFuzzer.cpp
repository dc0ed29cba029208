// libFuzzer target: the helpers' iCalendar reading (libical's parser and our mapping over it).
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "ICalCard.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Record files are capped at 1 MiB by the helpers; the fuzzer looks for crashes, not size.
  if (size > 65536) return 0;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  const ICalOptions options{"America/New_York", "fuzz@example.com"};
  GoogleEvent event;
  if (ReadEventICal(text, event, options)) {
    std::string again = WriteEventICal(event, "uid", options);
    GoogleEvent back;
    ReadEventICal(again, back, options);
  }
  GoogleTask task;
  if (ReadTaskICal(text, task)) WriteTaskICal(task, "uid", options);
  GoogleNote note;
  if (ReadNoteICal(text, note)) WriteNoteICal(note, "uid");
  return 0;
}
