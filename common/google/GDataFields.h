#pragma once

#include <array>
#include <cstdint>

#include "misc/CxFile.h"
#include "misc/FixedText.h"
#include "misc/WinTypes.h"

// Readers and writers for the fields of helper data-file records. A record type lists its fields
// once, in file order, with a VisitFileFields(record, visitor) template; both directions walk that
// one list, so they cannot drift apart.
struct GFieldReader {
  CxFile& file;
  bool ok = true;
  void operator()(std::int32_t& v) { ok = ok && file.ReadInt32(v); }
  void operator()(OleDate& v) { ok = ok && file.ReadDouble(v.value); }
  template <std::size_t N>
  void operator()(FixedText<N>& v) {
    ok = ok && file.ReadText(v);
  }
  template <class T, std::size_t N>
  void operator()(std::array<T, N>& a) {
    for (T& e : a) (*this)(e);
  }
};

struct GFieldWriter {
  CxFile& file;
  bool ok = true;
  void operator()(const std::int32_t& v) { ok = ok && file.WriteInt32(v); }
  void operator()(const OleDate& v) { ok = ok && file.WriteDouble(v.value); }
  template <std::size_t N>
  void operator()(const FixedText<N>& v) {
    ok = ok && file.WriteText(v.view());
  }
  template <class T, std::size_t N>
  void operator()(const std::array<T, N>& a) {
    for (const T& e : a) (*this)(e);
  }
};

template <class Record>
bool ReadFileRecord(CxFile& file, Record& record) {
  record = Record();
  GFieldReader r{file};
  Record::VisitFileFields(record, r);
  return r.ok;
}

template <class Record>
bool WriteFileRecord(CxFile& file, const Record& record) {
  GFieldWriter w{file};
  Record::VisitFileFields(record, w);
  return w.ok;
}
