#include "misc/CommonEvent.h"

#include <algorithm>
#include <cstdio>

namespace {

int Digits(const char* p, int n) {
  int v = 0;
  for (int i = 0; i < n; ++i) v = v * 10 + (p[i] - '0');
  return v;
}

std::uint32_t Order(const EventDay& d) {
  return static_cast<std::uint32_t>(d.Year) * 10000u + d.Month * 100u + d.Day;
}

}  // namespace

EventDay ExceptionDayList::const_iterator::operator*() const {
  EventDay d;
  d.Year = static_cast<std::uint16_t>(Digits(p_, 4));
  d.Month = static_cast<std::uint16_t>(Digits(p_ + 4, 2));
  d.Day = static_cast<std::uint16_t>(Digits(p_ + 6, 2));
  return d;
}

std::size_t ExceptionDayList::Assign(std::vector<EventDay> days) {
  std::erase_if(days, [](const EventDay& d) { return !d.Valid(); });
  std::sort(days.begin(), days.end(),
            [](const EventDay& a, const EventDay& b) { return Order(a) < Order(b); });
  days.erase(std::unique(days.begin(), days.end()), days.end());
  const std::size_t dropped = days.size() > kMax ? days.size() - kMax : 0;
  stamps_.clear();
  stamps_.reserve((days.size() - dropped) * kStampSize);
  char buf[16];
  for (std::size_t i = dropped; i < days.size(); ++i) {
    std::snprintf(buf, sizeof buf, "%04u%02u%02u", static_cast<unsigned>(days[i].Year),
                  static_cast<unsigned>(days[i].Month), static_cast<unsigned>(days[i].Day));
    stamps_.append(buf, kStampSize);
  }
  return dropped;
}

bool ExceptionDayList::Add(EventDay day) {
  if (!day.Valid()) return false;
  std::vector<EventDay> days(begin(), end());
  days.push_back(day);
  Assign(std::move(days));
  return std::find(begin(), end(), day) != end();
}
