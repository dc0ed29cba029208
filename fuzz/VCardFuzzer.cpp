// libFuzzer target: the helpers' vCard reader and the contact mapping over it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "ContactCard.h"
#include "VCard.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  for (const VCard& card : VCardReader::Parse(text)) {
    GoogleContact contact;
    ReadContactCard(card, contact);
    // Whatever was read must write as a card that reads again.
    std::string again = WriteContactCard(contact, "uid");
    if (VCardReader::Parse(again).size() != 1) std::abort();
  }
  return 0;
}
