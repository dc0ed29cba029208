#include "VCard.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

#include "platform/AsciiCase.h"

namespace {

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string DecodeQuotedPrintable(std::string_view s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '=') {
      out += s[i];
      continue;
    }
    if (s.size() - i >= 3) {
      int hi = HexValue(s[i + 1]), lo = HexValue(s[i + 2]);
      if (hi >= 0 && lo >= 0) {
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
        continue;
      }
    }
    // A stray '=' (or a soft break left at the very end) is not an escape.
    if (i + 1 < s.size()) out += '=';
  }
  return out;
}

// The physical lines of the text, CR LF, LF and CR alike.
std::vector<std::string_view> PhysicalLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

bool NamePartHasQuotedPrintable(std::string_view line) {
  std::size_t colon = line.find(':');
  std::string upper = Upper(line.substr(0, colon));
  return upper.find("QUOTED-PRINTABLE") != std::string::npos;
}

// Logical lines: folded continuations joined, quoted-printable soft breaks joined.
std::vector<std::string> LogicalLines(std::string_view text) {
  std::vector<std::string> out;
  bool softBreak = false;
  for (std::string_view line : PhysicalLines(text)) {
    if (!out.empty() && softBreak) {
      out.back().pop_back();  // the '='
      out.back() += line;
    } else if (!out.empty() && !line.empty() && (line[0] == ' ' || line[0] == '\t')) {
      out.back() += line.substr(1);
    } else if (line.empty()) {
      continue;
    } else {
      out.emplace_back(line);
    }
    const std::string& last = out.back();
    softBreak = !last.empty() && last.back() == '=' && NamePartHasQuotedPrintable(last);
  }
  return out;
}

// Splits "group.NAME;P=V;P2="a:b":value" at the first colon outside quotes.
bool ParseLine(const std::string& line, VCardProperty& p) {
  bool quoted = false;
  std::size_t colon = std::string::npos;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '"') quoted = !quoted;
    if (line[i] == ':' && !quoted) {
      colon = i;
      break;
    }
  }
  if (colon == std::string::npos || colon == 0) return false;
  std::string_view head(line.data(), colon);
  std::string raw = line.substr(colon + 1);

  std::vector<std::string_view> parts;
  quoted = false;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= head.size(); ++i) {
    if (i < head.size() && head[i] == '"') quoted = !quoted;
    if (i == head.size() || (head[i] == ';' && !quoted)) {
      parts.push_back(head.substr(start, i - start));
      start = i + 1;
    }
  }
  std::string_view name = VCardTrim(parts[0]);
  if (auto dot = name.rfind('.'); dot != std::string_view::npos) {
    p.group = std::string(name.substr(0, dot));
    name.remove_prefix(dot + 1);
  }
  p.name = Upper(name);
  if (p.name.empty()) return false;

  std::string encoding, charset;
  for (std::size_t i = 1; i < parts.size() && p.params.size() < VCardReader::kMaxParamsPerProperty;
       ++i) {
    std::string_view part = VCardTrim(parts[i]);
    if (part.empty()) continue;
    std::size_t eq = part.find('=');
    std::string pname, pvalue;
    if (eq == std::string_view::npos) {
      // vCard 2.1 writes bare values: "TEL;HOME;VOICE", "NOTE;QUOTED-PRINTABLE".
      pvalue = std::string(part);
      std::string up = Upper(pvalue);
      pname = (up == "QUOTED-PRINTABLE" || up == "BASE64" || up == "8BIT" || up == "7BIT")
                  ? "ENCODING"
                  : "TYPE";
    } else {
      pname = Upper(VCardTrim(part.substr(0, eq)));
      pvalue = std::string(VCardTrim(part.substr(eq + 1)));
    }
    if (pvalue.size() >= 2 && pvalue.front() == '"' && pvalue.back() == '"')
      pvalue = pvalue.substr(1, pvalue.size() - 2);
    if (pname == "TYPE") {
      std::size_t s = 0;
      for (std::size_t k = 0; k <= pvalue.size(); ++k) {
        if (k == pvalue.size() || pvalue[k] == ',') {
          std::string_view t = VCardTrim(std::string_view(pvalue).substr(s, k - s));
          if (!t.empty()) p.types.push_back(Upper(t));
          s = k + 1;
        }
      }
    }
    // vCard 4.0 ranks with PREF=1..100; the first choice is what 3.0 calls TYPE=PREF.
    if (pname == "PREF" && pvalue == "1") p.types.push_back("PREF");
    if (pname == "ENCODING") encoding = Upper(pvalue);
    if (pname == "CHARSET") charset = Upper(pvalue);
    p.params.emplace_back(std::move(pname), std::move(pvalue));
  }

  if (encoding == "QUOTED-PRINTABLE") raw = DecodeQuotedPrintable(raw);
  // Binary values (photos, keys) stay as sent; no text field takes them.
  if (encoding == "B" || encoding == "BASE64") {
    p.value = std::move(raw);
    return true;
  }
  // Old producers wrote Windows text, with or without saying so, and their CHARSET words are
  // no more reliable: each value that is valid UTF-8 is UTF-8. Past writers of this program cut
  // a character at a field's width; such a value loses the stub, not its other characters.
  if (!IsValidUtf8(raw)) {
    std::string kept = AsUtf8(raw);
    const bool hadUtf8 = std::any_of(kept.begin(), kept.end(),
                                     [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    raw = kept.size() < raw.size() && hadUtf8 ? std::move(kept) : Cp1252ToUtf8(raw);
  }
  (void)charset;
  p.value = std::move(raw);
  return true;
}

}  // namespace

bool VCardProperty::HasType(std::string_view type) const {
  for (const std::string& t : types)
    if (platform::EqualsNoCase(t, type)) return true;
  return false;
}

std::string VCardProperty::Param(std::string_view pname) const {
  for (const auto& [n, v] : params)
    if (platform::EqualsNoCase(n, pname)) return v;
  return {};
}

std::vector<VCard> VCardReader::Parse(std::string_view text) {
  std::vector<VCard> cards;
  bool inCard = false;
  for (const std::string& line : LogicalLines(text)) {
    VCardProperty p;
    if (!ParseLine(line, p)) continue;
    if (p.name == "BEGIN" && platform::EqualsNoCase(VCardTrim(p.value), "VCARD")) {
      // A card inside a card (2.1 AGENT) is not a contact of its own.
      if (!inCard) {
        if (cards.size() >= kMaxCards) break;
        cards.emplace_back();
        inCard = true;
      }
      continue;
    }
    if (p.name == "END" && platform::EqualsNoCase(VCardTrim(p.value), "VCARD")) {
      inCard = false;
      continue;
    }
    if (!inCard || cards.back().properties.size() >= kMaxPropertiesPerCard) continue;
    cards.back().properties.push_back(std::move(p));
  }
  return cards;
}

std::string VCardUnescape(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\' || i + 1 == value.size()) {
      out += value[i];
      continue;
    }
    char c = value[++i];
    out += (c == 'n' || c == 'N') ? '\n' : c;
  }
  return out;
}

std::string VCardEscape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    switch (c) {
      case '\\':
      case ',':
      case ';':
        out += '\\';
        out += c;
        break;
      case '\r':
        if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        out += "\\n";
        break;
      case '\n':
        out += "\\n";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string_view VCardTrim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

std::vector<std::string> VCardSplit(std::string_view value, char separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '\\') {
      ++i;
    } else if (value[i] == separator) {
      parts.push_back(VCardUnescape(value.substr(start, i - start)));
      start = i + 1;
    }
  }
  parts.push_back(VCardUnescape(value.substr(std::min(start, value.size()))));
  return parts;
}

VCardWriter::VCardWriter() {
  out_ = "BEGIN:VCARD\r\nVERSION:3.0\r\n";
}

void VCardWriter::Add(std::string_view group, std::string_view name, std::string_view params,
                      std::string_view value) {
  std::string line;
  if (!group.empty()) line.append(group).append(".");
  line.append(name).append(params).append(":").append(AsUtf8(value));
  // Fold at 75 octets, never inside a UTF-8 sequence; continuation lines start with a space.
  std::size_t limit = 75;
  std::size_t pos = 0;
  while (line.size() - pos > limit) {
    std::size_t cut = pos + limit;
    while (cut > pos + 1 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) --cut;
    out_.append(line, pos, cut - pos).append("\r\n ");
    pos = cut;
    limit = 74;
  }
  out_.append(line, pos, std::string::npos).append("\r\n");
}

std::string VCardWriter::Finish() {
  out_ += "END:VCARD\r\n";
  return std::move(out_);
}

bool ParseInt32(std::string_view text, std::int32_t& value) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  std::int32_t v = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return false;
  value = v;
  return true;
}

namespace {

// The length of the well-formed sequence at `i`, or 0 when there is none (a stub at the end
// included).
std::size_t SequenceAt(std::string_view s, std::size_t i) {
  auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[i + k]); };
  unsigned char c = b(0);
  if (c < 0x80) return 1;
  std::size_t n = c >= 0xC2 && c <= 0xDF   ? 2
                  : c >= 0xE0 && c <= 0xEF ? 3
                  : c >= 0xF0 && c <= 0xF4 ? 4
                                           : 0;
  if (n == 0 || s.size() - i < n) return 0;
  // The second byte's range rules out overlong forms, surrogates and code points past U+10FFFF.
  unsigned char lo = c == 0xE0 ? 0xA0 : c == 0xF0 ? 0x90 : 0x80;
  unsigned char hi = c == 0xED ? 0x9F : c == 0xF4 ? 0x8F : 0xBF;
  if (b(1) < lo || b(1) > hi) return 0;
  for (std::size_t k = 2; k < n; ++k)
    if ((b(k) & 0xC0) != 0x80) return 0;
  return n;
}

}  // namespace

bool IsValidUtf8(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    std::size_t n = SequenceAt(s, i);
    if (n == 0) return false;
    i += n;
  }
  return true;
}

std::string AsUtf8(std::string_view bytes) {
  std::size_t i = 0;
  while (i < bytes.size()) {
    std::size_t n = SequenceAt(bytes, i);
    if (n == 0) break;
    i += n;
  }
  if (i == bytes.size()) return std::string(bytes);
  // A lead byte and the continuations it announced, cut off by a width: drop the stub.
  auto lead = static_cast<unsigned char>(bytes[i]);
  std::size_t want = lead >= 0xC2 && lead <= 0xDF   ? 2
                     : lead >= 0xE0 && lead <= 0xEF ? 3
                     : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                    : 0;
  std::size_t rest = bytes.size() - i;
  bool stub = want > rest;
  for (std::size_t k = 1; stub && k < rest; ++k)
    stub = (static_cast<unsigned char>(bytes[i + k]) & 0xC0) == 0x80;
  if (stub) return std::string(bytes.substr(0, i));
  return Cp1252ToUtf8(bytes);
}

std::vector<std::pair<std::size_t, std::size_t>> VCardBlocks(std::string_view text) {
  std::vector<std::pair<std::size_t, std::size_t>> blocks;
  std::size_t depth = 0, start = 0;
  for (std::size_t at = 0; at < text.size() && blocks.size() < VCardReader::kMaxCards;) {
    std::size_t end = text.find_first_of("\r\n", at);
    std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
    if (end != std::string_view::npos && text[end] == '\r' && next < text.size() &&
        text[next] == '\n')
      ++next;
    std::string_view line =
        VCardTrim(text.substr(at, (end == std::string_view::npos ? text.size() : end) - at));
    if (platform::EqualsNoCase(line, "BEGIN:VCARD")) {
      if (depth++ == 0) start = at;
    } else if (platform::EqualsNoCase(line, "END:VCARD") && depth > 0) {
      if (--depth == 0) blocks.emplace_back(start, next - start);
    }
    at = next;
  }
  return blocks;
}

std::string Cp1252ToUtf8(std::string_view bytes) {
  // 0x80-0x9F of Windows-1252; the five undefined bytes become U+FFFD.
  static constexpr std::uint16_t kHigh[32] = {
      0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
  std::string out;
  for (char ch : bytes) {
    auto b = static_cast<unsigned char>(ch);
    std::uint32_t cp = b >= 0x80 && b < 0xA0 ? kHigh[b - 0x80] : b;
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  return out;
}
