#include "palm/PmInfoEx2.h"

#include <array>
#include <string>
#include <string_view>

#include "misc/CxDebugUtil.h"
#include "palm/PmDataAccessor.h"

namespace {

constexpr std::array<std::string_view, 2> kColumns = {"Name", "Note"};
// The table holds a handful of settings; more rows than this are damage.
constexpr std::size_t kMaxRows = 10000;

// Leading decimal digits, as Palm Desktop reads these values ("6.2" gives 6).
bool LeadingInteger(std::string_view text, std::int32_t& out) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = i < text.size() && text[i] == '-';
  if (negative || (i < text.size() && text[i] == '+')) ++i;
  std::int64_t v = 0;
  std::size_t digits = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++digits) {
    v = v * 10 + (text[i] - '0');
    if (v > INT32_MAX) return false;
  }
  if (digits == 0) return false;
  out = static_cast<std::int32_t>(negative ? -v : v);
  return true;
}

}  // namespace

bool PmInfoEx2::Load(PmDataAccessor& accessor) {
  *this = PmInfoEx2{};
  std::size_t rows = 0;
  for (auto row = accessor.Query("Information", kColumns); row && rows < kMaxRows;
       row = accessor.NextRow("Information", kColumns), ++rows) {
    if (row->size() != kColumns.size()) continue;
    const auto* name = std::get_if<std::string>(&(*row)[0]);
    const auto* value = std::get_if<std::string>(&(*row)[1]);
    if (!name || !value) continue;
    std::int32_t* slot = nullptr;
    if (*name == "License" || *name == "Version") {
      slot = &version;
    } else if (*name == "Minor") {
      slot = &minorVersion;
    } else if (*name == "CodePage") {
      slot = &codePage;
    } else if (*name == "PreSahara") {
      slot = &preSahara;
    } else if (*name == "FreeRecID") {
      slot = &nextFreeRecordId;
    } else if (*name == "TableString") {
      tableString = *value;
    }
    if (slot && !LeadingInteger(*value, *slot)) {
      QM_LOG_ERROR("Information value %s is not a number: %.64s", name->c_str(), value->c_str());
    }
  }
  return rows > 0;
}
