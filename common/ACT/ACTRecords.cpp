#include "ACT/ACTRecords.h"

#include "misc/Utf8.h"

namespace {

// Reads and writes the fields of a record in file order; a failure sticks.
struct FieldReader {
  CxFile& file;
  bool ok = true;
  void operator()(const char*, std::int32_t& v) { ok = ok && file.ReadInt32(v); }
  void operator()(const char*, OleDate& v) { ok = ok && file.ReadDouble(v.value); }
  void operator()(const char*, bool& v) { ok = ok && file.ReadBool32(v); }
  template <std::size_t N>
  void operator()(const char*, FixedText<N>& v) {
    ok = ok && file.ReadText(v);
  }
};

struct FieldWriter {
  CxFile& file;
  bool ok = true;
  void operator()(const char*, const std::int32_t& v) { ok = ok && file.WriteInt32(v); }
  void operator()(const char*, const OleDate& v) { ok = ok && file.WriteDouble(v.value); }
  void operator()(const char*, const bool& v) { ok = ok && file.WriteBool32(v); }
  template <std::size_t N>
  void operator()(const char*, const FixedText<N>& v) {
    ok = ok && file.WriteText(v.view());
  }
};

template <class Record>
bool ReadRecord(CxFile& file, Record& record) {
  record = Record();
  FieldReader r{file};
  Record::VisitFileFields(record, r);
  return r.ok;
}

template <class Record>
bool WriteRecord(CxFile& file, const Record& record) {
  FieldWriter w{file};
  Record::VisitFileFields(record, w);
  return w.ok;
}

bool IsOf(std::uint32_t id, std::uint32_t type) {
  const ACTContactField* f = FindACTField(id);
  return f && f->type == type;
}

}  // namespace

const ACTContactField* FindACTField(std::uint32_t id) {
  if (id < 1 || id > kACTContactFieldCount) return nullptr;
  return &kACTContactFields[id - 1];
}

const char* ACTFieldLabel(std::uint32_t id) {
  const ACTContactField* f = FindACTField(id);
  return f ? f->label : "N/A";
}

std::string_view ACTContactRecord::Text(std::uint32_t id) const {
  return IsOf(id, kACTFieldText) ? texts_[ACTFieldSlotOf(id)].view() : std::string_view();
}

bool ACTContactRecord::Flag(std::uint32_t id) const {
  return IsOf(id, kACTFieldBool) && flags_[ACTFieldSlotOf(id)] != 0;
}

OleDate ACTContactRecord::Date(std::uint32_t id) const {
  return IsOf(id, kACTFieldDate) ? dates_[ACTFieldSlotOf(id)] : OleDate();
}

void ACTContactRecord::SetText(std::uint32_t id, std::string_view text) {
  if (!IsOf(id, kACTFieldText)) return;
  texts_[ACTFieldSlotOf(id)].Assign(text, kACTContactFields[id - 1].size - 1);
}

void ACTContactRecord::SetFlag(std::uint32_t id, bool value) {
  if (IsOf(id, kACTFieldBool)) flags_[ACTFieldSlotOf(id)] = value ? 1 : 0;
}

void ACTContactRecord::SetDate(std::uint32_t id, OleDate value) {
  if (IsOf(id, kACTFieldDate)) dates_[ACTFieldSlotOf(id)] = value;
}

bool ReadACTContact(CxFile& file, ACTContactRecord& record) {
  record = ACTContactRecord();
  bool ok = file.ReadInt32(record.ChangeMark) && file.ReadInt32(record.Action);
  for (const ACTContactField& f : kACTContactFields) {
    if (!ok) break;
    switch (f.type) {
      case kACTFieldText: {
        std::string text;
        ok = file.ReadText(text, f.size - 1);
        record.SetText(f.id, text);
        break;
      }
      case kACTFieldBool: {
        bool value = false;
        ok = file.ReadBool32(value);
        record.SetFlag(f.id, value);
        break;
      }
      default: {
        OleDate value;
        ok = file.ReadDouble(value.value);
        record.SetDate(f.id, value);
        break;
      }
    }
  }
  return ok && !file.Failed();
}

bool WriteACTContact(CxFile& file, const ACTContactRecord& record) {
  bool ok = file.WriteInt32(record.ChangeMark) && file.WriteInt32(record.Action);
  for (const ACTContactField& f : kACTContactFields) {
    if (!ok) break;
    switch (f.type) {
      case kACTFieldText:
        ok = file.WriteText(record.Text(f.id));
        break;
      case kACTFieldBool:
        ok = file.WriteBool32(record.Flag(f.id));
        break;
      default:
        ok = file.WriteDouble(record.Date(f.id).value);
        break;
    }
  }
  return ok;
}

bool ReadACTEvent(CxFile& file, ACTEventRecord& record) {
  return ReadRecord(file, record) && !file.Failed();
}
bool WriteACTEvent(CxFile& file, const ACTEventRecord& record) {
  return WriteRecord(file, record);
}
bool ReadACTTask(CxFile& file, ACTTaskRecord& record) {
  return ReadRecord(file, record) && !file.Failed();
}
bool WriteACTTask(CxFile& file, const ACTTaskRecord& record) {
  return WriteRecord(file, record);
}
bool ReadACTNote(CxFile& file, ACTNoteRecord& record) {
  return ReadRecord(file, record) && !file.Failed();
}
bool WriteACTNote(CxFile& file, const ACTNoteRecord& record) {
  return WriteRecord(file, record);
}
