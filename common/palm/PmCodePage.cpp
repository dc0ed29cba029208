#include "palm/PmCodePage.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <cstring>

#include "misc/CxDebugUtil.h"
#include "misc/Utf8.h"

namespace {

// Entry: byte 0 the length of the UTF-8 form (1 to 3), bytes 1 to 3 the form.
struct Utf8Form {
  std::uint8_t size;
  std::array<char, 3> bytes;
};

constexpr std::array<std::uint16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr Utf8Form Encode(std::uint32_t cp) {
  if (cp < 0x80) return {1, {static_cast<char>(cp), 0, 0}};
  if (cp < 0x800)
    return {2, {static_cast<char>(0xC0 | (cp >> 6)), static_cast<char>(0x80 | (cp & 0x3F)), 0}};
  return {3,
          {static_cast<char>(0xE0 | (cp >> 12)), static_cast<char>(0x80 | ((cp >> 6) & 0x3F)),
           static_cast<char>(0x80 | (cp & 0x3F))}};
}

constexpr std::array<Utf8Form, 256> MakeTable() {
  std::array<Utf8Form, 256> table{};
  for (std::uint32_t b = 0; b < 256; ++b) {
    std::uint32_t cp = b >= 0x80 && b < 0xA0 ? kHighControls[b - 0x80] : b;
    table[b] = Encode(cp);
  }
  return table;
}

constexpr std::array<Utf8Form, 256> kTable = MakeTable();

}  // namespace

PmCodePage::PmCodePage(std::uint32_t codePage) : codePage_(codePage) {
  if (codePage == kWindows1252 || codePage == 0) {
    codePage_ = kWindows1252;
    return;
  }
  std::string name = "CP" + std::to_string(codePage);
  iconv_t cd = iconv_open("UTF-8", name.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    QM_LOG_ERROR("Code page %u is not available; Windows-1252 is used.", codePage);
    codePage_ = kWindows1252;
    supported_ = false;
    return;
  }
  iconv_close(cd);
  iconv_ = true;
}

bool PmCodePage::Known(std::uint32_t codePage) {
  if (codePage == kWindows1252 || codePage == 0) return true;
  std::string name = "CP" + std::to_string(codePage);
  iconv_t cd = iconv_open("UTF-8", name.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  iconv_close(cd);
  return true;
}

std::string_view PmCodePage::Windows1252(std::uint8_t byte) {
  return {kTable[byte].bytes.data(), kTable[byte].size};
}

void PmCodePage::Decode(std::string_view raw, std::string& out, std::size_t maxBytes) const {
  if (const void* nul = std::memchr(raw.data(), 0, raw.size()))
    raw = raw.substr(0, static_cast<std::size_t>(static_cast<const char*>(nul) - raw.data()));
  // Every byte decodes to at least one, so no more input than output room is ever needed.
  if (raw.size() > maxBytes) raw = raw.substr(0, maxBytes);
  const std::size_t start = out.size();
  if (iconv_) {
    DecodeIconv(raw, out);
  } else {
    out.resize(start + raw.size() * 3);
    char* dst = out.data() + start;
    for (char c : raw) {
      const Utf8Form& f = kTable[static_cast<unsigned char>(c)];
      // Writing all three bytes unconditionally keeps the loop free of branches on the size.
      dst[0] = f.bytes[0];
      dst[1] = f.bytes[1];
      dst[2] = f.bytes[2];
      dst += f.size;
    }
    out.resize(static_cast<std::size_t>(dst - out.data()));
  }
  if (out.size() - start > maxBytes) {
    std::string_view whole(out.data() + start, out.size() - start);
    out.resize(start + Utf8Prefix(whole, maxBytes).size());
  }
}

void PmCodePage::DecodeIconv(std::string_view raw, std::string& out) const {
  std::string name = "CP" + std::to_string(codePage_);
  iconv_t cd = iconv_open("UTF-8", name.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return;
  const std::size_t start = out.size();
  out.resize(start + raw.size() * 4 + 4);
  char* in = const_cast<char*>(raw.data());
  std::size_t inLeft = raw.size();
  char* dst = out.data() + start;
  std::size_t outLeft = out.size() - start;
  while (inLeft > 0) {
    if (iconv(cd, &in, &inLeft, &dst, &outLeft) != static_cast<std::size_t>(-1)) break;
    // A text cut at a Palm field's capacity may end inside a double-byte character: the
    // half character is dropped, so the text ends on a whole one.
    if (errno == EINVAL) break;
    // A byte the code page does not define: U+FFFD, and on with the next byte.
    if (outLeft < 3) break;
    std::memcpy(dst, "\xEF\xBF\xBD", 3);
    dst += 3;
    outLeft -= 3;
    ++in;
    --inLeft;
  }
  out.resize(static_cast<std::size_t>(dst - out.data()));
  iconv_close(cd);
}
