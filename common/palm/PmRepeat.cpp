#include "palm/PmRepeat.h"

#include <cstring>

#include "misc/CxDebugUtil.h"
#include "palm/PmByteSource.h"

namespace {

constexpr const char* kClassNames[] = {"CDayName",     "CWeekly",     "CDayOfMonth",
                                       "CDateOfMonth", "CDateOfYear", "CDayOfYear"};

std::int32_t KindOfClass(const std::string& name) {
  for (std::int32_t k = 1; k <= 6; ++k) {
    if (name == kClassNames[k - 1]) return k;
  }
  return 0;
}

// The kind-specific tail after the four common integers.
bool ReadKindData(PmByteSource& src, PmRepeat& out) {
  switch (out.kind) {
    case PmRepeat::kDaily:
      out.dayIndex = src.ReadI32();
      break;
    case PmRepeat::kWeekly:
      out.dayIndex = src.ReadI32();
      out.dayMask = src.ReadU8();
      break;
    case PmRepeat::kMonthlyByWeekday:
      out.dayIndex = src.ReadI32();
      out.weekIndex = src.ReadI32();
      break;
    case PmRepeat::kMonthlyByDate:
      out.dayNumber = src.ReadI32();
      break;
    case PmRepeat::kYearlyByDate:
      out.dayNumber = src.ReadI32();
      out.monthIndex = src.ReadI32();
      break;
    case PmRepeat::kYearlyByWeekday:
      break;
    default:
      return false;
  }
  return !src.Failed();
}

}  // namespace

const char* PmRepeatReader::ClassName(std::int32_t kind) {
  return kind >= 1 && kind <= 6 ? kClassNames[kind - 1] : nullptr;
}

bool PmRepeatReader::Read(PmByteSource& src, PmRepeat& out) {
  out = PmRepeat{};
  std::uint16_t exceptionCount = src.ReadU16();
  if (src.Failed() || exceptionCount > kMaxExceptions || src.BytesLeft() / 4 < exceptionCount) {
    return false;
  }
  for (std::uint16_t i = 0; i < exceptionCount; ++i) out.exceptions.push_back(src.ReadI32());

  std::uint16_t marker = src.ReadU16();
  if (src.Failed()) return false;
  if (marker == 0) return true;

  std::int32_t classKind = 0;
  if (marker == kNewClassTag) {
    std::uint16_t schema = src.ReadU16();
    std::uint16_t nameLength = src.ReadU16();
    if (src.Failed() || schema != 1 || nameLength > kMaxClassNameBytes) return false;
    std::string name(nameLength, '\0');
    if (!src.ReadBytes(name.data(), nameLength)) return false;
    classKind = KindOfClass(name);
    if (classKind == 0 || map_.size() >= kMaxMapEntries) return false;
    map_.push_back(classKind);
  } else if (marker & kClassRefFlag) {
    // Palm Desktop names each class once per file; later rules of that class only point back.
    std::size_t number = static_cast<std::size_t>(marker & 0x7FFF);
    if (number == 0 || number > map_.size() || map_[number - 1] == 0) return false;
    classKind = map_[number - 1];
  } else {
    // A plain object reference would reuse an earlier rule; Palm Desktop never writes one.
    return false;
  }
  if (map_.size() >= kMaxMapEntries) return false;
  map_.push_back(0);  // the rule object itself takes the next number

  out.kind = src.ReadI32();
  out.interval = src.ReadI32();
  out.endDate = src.ReadI32();
  out.firstDayOfWeek = src.ReadI32();
  if (src.Failed() || out.kind != classKind) return false;
  return ReadKindData(src, out);
}

void PmWriteRepeat(PmByteSink& sink, const PmRepeat& rule) {
  std::size_t count = rule.exceptions.size() > PmRepeatReader::kMaxExceptions
                          ? PmRepeatReader::kMaxExceptions
                          : rule.exceptions.size();
  sink.WriteU16(static_cast<std::uint16_t>(count));
  for (std::size_t i = 0; i < count; ++i) sink.WriteI32(rule.exceptions[i]);
  if (rule.kind == PmRepeat::kNone) {
    sink.WriteU16(0);
    return;
  }
  sink.WriteU16(PmRepeatReader::kNewClassTag);
  const char* name = PmRepeatReader::ClassName(rule.kind);
  if (!name) return;  // an unknown kind has no class to name; readers reject it
  auto length = static_cast<std::uint16_t>(std::strlen(name));
  sink.WriteU16(1);
  sink.WriteU16(length);
  sink.WriteBytes(name, length);
  sink.WriteI32(rule.kind);
  sink.WriteI32(rule.interval);
  sink.WriteI32(rule.endDate);
  sink.WriteI32(rule.firstDayOfWeek);
  switch (rule.kind) {
    case PmRepeat::kDaily:
      sink.WriteI32(rule.dayIndex);
      break;
    case PmRepeat::kWeekly:
      sink.WriteI32(rule.dayIndex);
      sink.WriteU8(rule.dayMask);
      break;
    case PmRepeat::kMonthlyByWeekday:
      sink.WriteI32(rule.dayIndex);
      sink.WriteI32(rule.weekIndex);
      break;
    case PmRepeat::kMonthlyByDate:
      sink.WriteI32(rule.dayNumber);
      break;
    case PmRepeat::kYearlyByDate:
      sink.WriteI32(rule.dayNumber);
      sink.WriteI32(rule.monthIndex);
      break;
    default:
      break;
  }
}
