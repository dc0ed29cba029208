#pragma once

#include <cstdint>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

#include "palm/PmAddrExUtil.h"
#include "palm/PmAddrUtil.h"
#include "palm/PmDateExUtil.h"
#include "palm/PmDateUtil.h"
#include "palm/PmMemoExUtil.h"
#include "palm/PmMemoUtil.h"
#include "palm/PmTodoExUtil.h"
#include "palm/PmTodoUtil.h"

// A repeat rule of every kind in turn, with exceptions on some.
inline PmRepeat SampleRepeat(int n) {
  PmRepeat r;
  r.kind = n % 7;
  if (r.kind == PmRepeat::kNone) return r;
  for (int i = 0; i < n % 3; ++i) r.exceptions.push_back(900000000 + 86400 * i);
  r.interval = 1 + n % 4;
  r.endDate = n % 2 ? 1956528000 : 1104537600;
  r.firstDayOfWeek = n % 2;
  switch (r.kind) {
    case PmRepeat::kDaily:
      r.dayIndex = n % 7;
      break;
    case PmRepeat::kWeekly:
      r.dayIndex = n % 7;
      r.dayMask = static_cast<std::uint8_t>(0x0A + n % 0x30);
      break;
    case PmRepeat::kMonthlyByWeekday:
      r.dayIndex = 5;
      r.weekIndex = n % 5;
      break;
    case PmRepeat::kMonthlyByDate:
      r.dayNumber = 1 + n % 31;
      break;
    case PmRepeat::kYearlyByDate:
      r.dayNumber = 24;
      r.monthIndex = 11;
      break;
    default:
      break;
  }
  return r;
}

// Fills every field of a record from its table with values that differ per field and record.
template <class Rec>
Rec SampleRecord(int n) {
  Rec rec{};
  int j = 0;
  for (const auto& f : Rec::Fields()) {
    std::visit(
        [&](auto* target) {
          using T = std::remove_pointer_t<decltype(target)>;
          if constexpr (std::is_same_v<T, std::int32_t>) {
            *target = f.role == PmFieldRole::kCategory ? n % 3 : n * 100 + j;
          } else if constexpr (std::is_same_v<T, std::string>) {
            // Windows-1252 bytes, a long one crossing the one-byte length form
            *target = "f" + std::to_string(j) + "r" + std::to_string(n) + "\xE9\x80";
            if ((n + j) % 11 == 0) target->append(300, 'x');
          } else if constexpr (std::is_same_v<T, PmOpaque>) {
            T o;
            o.size = (n + j) % 3 == 0 ? 0 : ((n + j) % 3 == 1 ? 2 : 6);
            if (o.size == 2) {
              o.first = j;
              o.second = n;
              o.bytes = {1, 2, 3};
            } else if (o.size == 6) {
              o.bytes = {9, 8, 7, 6, 5, 4};
            }
            *target = o;
          } else if constexpr (std::is_same_v<T, double>) {
            *target = n + j + 0.25;
          } else {
            *target = SampleRepeat(n + j);
          }
        },
        f.ref(rec));
    ++j;
  }
  return rec;
}

template <class Loader>
void FillSample(Loader& db, int records) {
  PmCategoryMgr& cats = db.EnsureCategories();
  cats.Add({1, 10, "Business", "", 0});
  cats.Add({2, 11, "Personal/Home.", "", 0});
  for (int n = 0; n < records; ++n) {
    db.Records().push_back(SampleRecord<typename Loader::Record>(n));
    db.Records().back().categoryName =
        n % 3 == 0 ? "Unfiled" : (n % 3 == 1 ? "Business" : "Personal/Home.");
  }
  db.Header().fileName = "C:\\Palm\\User\\fixture.dat";
  if (db.Database() == PmDatabase::kAddress && db.Layout() == 2) {
    for (int i = 0; i < 9; ++i) db.Header().labels.push_back({"Label " + std::to_string(i), 0});
  }
  if (db.Database() == PmDatabase::kAddress && db.Layout() == 1) {
    db.Header().tableString = "Birthday\nSpouse\nCustom 3\nCustom 4\n";
  }
}
