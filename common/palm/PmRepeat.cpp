#include "palm/PmRepeat.h"

#include <algorithm>
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
    if (classKind == 0 || next_ >= kMaxMapCount) return false;
    classes_.push_back({next_++, classKind});
  } else {
    std::uint32_t tag =
        marker == kBigObjectTag
            ? src.ReadU32()
            : (static_cast<std::uint32_t>(marker & kClassRefFlag) << 16) | (marker & 0x7FFFu);
    // A plain object reference would reuse an earlier rule; Palm Desktop never writes one.
    if (src.Failed() || (tag & kBigClassFlag) == 0) return false;
    // Palm Desktop names each class once per file; later rules of that class only point back.
    const std::uint32_t number = tag & ~kBigClassFlag;
    auto at = std::lower_bound(classes_.begin(), classes_.end(), number,
                               [](const ClassEntry& e, std::uint32_t n) { return e.number < n; });
    if (at == classes_.end() || at->number != number) return false;
    classKind = at->kind;
  }
  if (next_ >= kMaxMapCount) return false;
  ++next_;  // the rule object itself takes the next number

  out.kind = src.ReadI32();
  out.interval = src.ReadI32();
  out.endDate = src.ReadI32();
  out.firstDayOfWeek = src.ReadI32();
  if (src.Failed() || out.kind != classKind) return false;
  return ReadKindData(src, out);
}

namespace {

void WriteRuleBody(PmByteSink& sink, const PmRepeat& rule) {
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

// The exceptions, then whether a rule follows.
bool WriteExceptions(PmByteSink& sink, const PmRepeat& rule) {
  std::size_t count = std::min<std::size_t>(rule.exceptions.size(), PmRepeatReader::kMaxExceptions);
  sink.WriteU16(static_cast<std::uint16_t>(count));
  for (std::size_t i = 0; i < count; ++i) sink.WriteI32(rule.exceptions[i]);
  if (rule.kind == PmRepeat::kNone) {
    sink.WriteU16(0);
    return false;
  }
  return true;
}

void WriteClassName(PmByteSink& sink, const char* name) {
  auto length = static_cast<std::uint16_t>(std::strlen(name));
  sink.WriteU16(PmRepeatReader::kNewClassTag);
  sink.WriteU16(1);
  sink.WriteU16(length);
  sink.WriteBytes(name, length);
}

}  // namespace

void PmRepeatWriter::Write(PmByteSink& sink, const PmRepeat& rule) {
  if (!WriteExceptions(sink, rule)) return;
  const char* name = PmRepeatReader::ClassName(rule.kind);
  if (!name) {
    sink.WriteU16(PmRepeatReader::kNewClassTag);  // an unknown kind has no class; readers reject it
    return;
  }
  std::uint32_t& number = classNumber_[rule.kind];
  if (number == 0) {
    WriteClassName(sink, name);
    number = next_++;
  } else if (number < PmRepeatReader::kBigObjectTag) {
    sink.WriteU16(static_cast<std::uint16_t>(PmRepeatReader::kClassRefFlag | number));
  } else {
    sink.WriteU16(PmRepeatReader::kBigObjectTag);
    sink.WriteU32(PmRepeatReader::kBigClassFlag | number);
  }
  ++next_;
  WriteRuleBody(sink, rule);
}

void PmWriteRepeat(PmByteSink& sink, const PmRepeat& rule) {
  if (!WriteExceptions(sink, rule)) return;
  const char* name = PmRepeatReader::ClassName(rule.kind);
  if (!name) {
    sink.WriteU16(PmRepeatReader::kNewClassTag);
    return;
  }
  WriteClassName(sink, name);
  WriteRuleBody(sink, rule);
}
