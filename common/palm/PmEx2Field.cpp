#include "palm/PmEx2Field.h"

#include <charconv>
#include <string>

bool PmEx2Integer(const PmValue& value, std::int32_t& out) {
  if (const auto* i = std::get_if<std::int32_t>(&value)) {
    out = *i;
    return true;
  }
  if (const auto* s = std::get_if<std::string>(&value)) {
    std::int32_t v = 0;
    const char* first = s->data();
    const char* last = first + s->size();
    auto [end, ec] = std::from_chars(first, last, v);
    if (s->empty() || ec != std::errc() || end != last) return false;
    out = v;
    return true;
  }
  return false;
}

bool PmEx2Store(const PmValue& value, const PmEx2Target& target) {
  if (std::holds_alternative<std::monostate>(value)) return true;
  if (auto* const* i = std::get_if<std::int32_t*>(&target)) return PmEx2Integer(value, **i);
  if (auto* const* b = std::get_if<bool*>(&target)) {
    const auto* v = std::get_if<bool>(&value);
    if (v) **b = *v;
    return v != nullptr;
  }
  const auto& text = std::get<TextFieldRef>(target);
  const auto* v = std::get_if<std::string>(&value);
  if (v) text.Assign(*v);
  return v != nullptr;
}
