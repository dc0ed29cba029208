#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// One content line of a vCard, decoded from its transfer form (quoted-printable, legacy
// character sets) but with the text escapes of its value still in place.
struct VCardProperty {
  std::string group;                                        // "item1", or empty
  std::string name;                                         // upper case
  std::vector<std::pair<std::string, std::string>> params;  // names upper case
  std::vector<std::string> types;                           // TYPE values, upper case
  std::string value;

  bool HasType(std::string_view type) const;
  // The first value of a parameter, or empty.
  std::string Param(std::string_view name) const;
};

struct VCard {
  std::vector<VCardProperty> properties;
};

// Reads every BEGIN:VCARD ... END:VCARD block of a text, vCard 2.1 and 3.0 alike: folded lines,
// quoted-printable values with soft line breaks, CHARSET parameters, bare 2.1 type parameters.
// Anything it cannot make sense of is skipped; it never fails as a whole.
class VCardReader {
 public:
  // Caps against hostile files; a real card has a few dozen lines.
  static constexpr std::size_t kMaxCards = 100000;
  static constexpr std::size_t kMaxPropertiesPerCard = 5000;
  static constexpr std::size_t kMaxParamsPerProperty = 64;

  static std::vector<VCard> Parse(std::string_view text);
};

// Text value helpers (vCard 3.0 escapes: \\ \, \; \n).
std::string VCardUnescape(std::string_view value);
std::string VCardEscape(std::string_view text);
// Splits at separators that are not escaped, then unescapes each part.
std::vector<std::string> VCardSplit(std::string_view value, char separator);
// Without the blanks and tabs around it.
std::string_view VCardTrim(std::string_view s);

// Writes one vCard 3.0: CR LF line ends, lines folded at 75 octets without splitting a character,
// values made valid UTF-8 (AsUtf8) on the way.
class VCardWriter {
 public:
  VCardWriter();
  // `params` is the text between the name and the colon, such as ";TYPE=HOME"; `value` goes as
  // it is (escape texts first).
  void Add(std::string_view group, std::string_view name, std::string_view params,
           std::string_view value);
  std::string Finish();

 private:
  std::string out_;
};

// A whole text as a decimal int32 (an optional sign, digits, nothing else, in range).
bool ParseInt32(std::string_view text, std::int32_t& value);

// The byte ranges (offset, length) of the top-level BEGIN:VCARD ... END:VCARD blocks of a text,
// each with its closing line break; a card inside a card stays inside its block.
std::vector<std::pair<std::size_t, std::size_t>> VCardBlocks(std::string_view text);

// Latin-1 / Windows-1252 bytes as UTF-8.
std::string Cp1252ToUtf8(std::string_view bytes);
// Well-formed UTF-8 (RFC 3629): no overlong forms, surrogates or code points past U+10FFFF.
bool IsValidUtf8(std::string_view bytes);
// A value as UTF-8 whatever it came as: valid UTF-8 as it is; a text whose only fault is a
// character cut off at its end loses that stub; anything else is read as Windows-1252.
std::string AsUtf8(std::string_view bytes);
