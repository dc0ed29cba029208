#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "AccountBackend.h"
#include "Backends.h"
#include "HelperSession.h"
#include "LocalAccount.h"
#include "RecordKinds.h"
#include "misc/CxDebugUtil.h"
#include "misc/CxFile.h"
#include "platform/AtomicFile.h"

// Replaces a file whole (CxFile::Replace), so that no reader ever sees half of it and a failed
// run leaves the old file. `error` gets the reason of a failure.
template <class WriteFn>
bool ReplaceFile(const std::string& path, WriteFn&& write, std::string* error = nullptr) {
  CxFile f;
  bool ok = f.Replace(path) && write(f) && f.Close();
  if (!ok && error) *error = f.ErrorText();
  return ok;
}

// The flow every Google helper shares, whatever the account's back end: load (every record of
// its kind into the data file) or submit (the records of the data file marked as changed into
// the account; nothing is ever deleted). `Kind` is one of RecordKinds.h.
template <class Kind>
class HelperFlow {
 public:
  using Record = typename Kind::Record;

  HelperFlow(HelperSession& session, RecordBackend<Record>& backend)
      : s_(session), backend_(backend) {}

  // False when stopped or the data file could not be written (reported).
  bool Load(std::vector<Record>& records) {
    std::vector<LoadedRecord<Record>> loaded;
    std::string why;
    if (!backend_.LoadAll(loaded, why)) {
      s_.Error(why.empty() ? std::string(HelperSession::kStoppedText) : why);
      return false;
    }
    std::vector<PassThrough> refs;
    for (LoadedRecord<Record>& l : loaded) {
      Record& r = l.record;
      r.RecordTag = static_cast<std::int32_t>(records.size() + 1);
      r.ChangeState = 0;
      r.Action = 0;
      if (auto* pass = Kind::PassThroughOf(r)) *pass = l.ref.Format();
      refs.push_back(std::move(l.ref));
      records.push_back(std::move(r));
    }
    if (!WriteIndex(refs)) return false;
    return WriteRecords(records);
  }

  bool WriteRecords(const std::vector<Record>& records) {
    std::string why;
    bool ok = ReplaceFile(
        s_.DataFilePath(),
        [&](CxFile& f) {
          f.WriteInt32(static_cast<std::int32_t>(records.size()));
          for (const Record& r : records)
            if (!Kind::Write(f, r)) return false;
          return true;
        },
        &why);
    if (!ok) s_.Error("The data file could not be written: " + s_.DataFilePath() + ": " + why);
    return ok;
  }

  // Reads the data file the program wrote; false (reported) when it is missing or broken.
  bool ReadRecords(std::vector<Record>& records) {
    CxFile f;
    std::int32_t count = 0;
    if (!f.Open(s_.DataFilePath(), "rb") || !f.ReadInt32(count) || count < 0) {
      s_.Error("The data file could not be read: " + s_.DataFilePath());
      return false;
    }
    // The count is the writer's word only: records are read while the file has them.
    for (std::int32_t i = 0; i < count; ++i) {
      Record r;
      if (!Kind::Read(f, r)) {
        s_.Error("The data file ends after " + std::to_string(i) + " of " + std::to_string(count) +
                 " records.");
        return false;
      }
      records.push_back(std::move(r));
    }
    return true;
  }

  // Applies every record marked as changed (ChangeState 2): Action 1 adds it, Action 2 updates
  // the record it was loaded from. Returns the number applied; each failure is reported and
  // the others still go through.
  std::size_t Submit(std::vector<Record>& records) {
    std::vector<PassThrough> index = ReadIndex();
    std::vector<RecordChange<Record>> adds, updates;
    std::size_t position = 0;
    for (Record& r : records) {
      if (r.ChangeState != 2) continue;
      ++position;
      if (r.Action != kHelperActionAdd && r.Action != kHelperActionUpdate) {
        s_.Error("Record " + std::to_string(position) + " has an unknown action " +
                 std::to_string(r.Action) + ".");
        continue;
      }
      RecordChange<Record> c;
      c.record = &r;
      if (r.Action == kHelperActionUpdate) c.ref = RefOf(r, index);
      (r.Action == kHelperActionAdd ? adds : updates).push_back(std::move(c));
    }
    SubmitProgress progress(s_, Kind::kNoun, adds.size() + updates.size());
    if (!adds.empty() && !s_.StopRequested()) backend_.Add(adds, progress);
    if (!updates.empty() && !s_.StopRequested()) backend_.Update(updates, progress);
    backend_.Finish();
    std::size_t applied = 0;
    bool unfinished = false;
    for (auto* batch : {&adds, &updates}) {
      for (const RecordChange<Record>& c : *batch) {
        if (!c.error.empty())
          s_.Error(c.error);
        else if (c.done)
          ++applied;
        else
          unfinished = true;
      }
    }
    if (unfinished) s_.Error(HelperSession::kStoppedText);
    return applied;
  }

 private:
  // Records without a pass-through text of their own are found again through an index file
  // beside the data file: one line per loaded record, its place and revision.
  std::string IndexPath() const {
    std::string data = s_.DataFilePath();
    auto dot = data.rfind('.');
    return (dot == std::string::npos ? data : data.substr(0, dot)) + "Files.txt";
  }

  // Index fields are kept to one line and one column each: %, tab and line breaks are escaped.
  static std::string Escaped(std::string_view s) {
    std::string out;
    for (char c : s) {
      if (c == '%' || c == '\t' || c == '\n' || c == '\r') {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%%%02X", static_cast<unsigned char>(c));
        out += hex;
      } else {
        out += c;
      }
    }
    return out;
  }
  static std::string Unescaped(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
      unsigned value = 0;
      if (s[i] == '%' && i + 2 < s.size() &&
          std::sscanf(std::string(s.substr(i + 1, 2)).c_str(), "%2x", &value) == 1) {
        out += static_cast<char>(value);
        i += 2;
      } else {
        out += s[i];
      }
    }
    return out;
  }

  bool WriteIndex(const std::vector<PassThrough>& refs) {
    Record probe;
    if (Kind::PassThroughOf(probe)) return true;
    std::string text;
    for (const PassThrough& ref : refs)
      text += Escaped(ref.file) + "\t" + Escaped(ref.revision) + "\t" + Escaped(ref.uid) + "\n";
    std::string why;
    bool ok = ReplaceFile(
        IndexPath(), [&](CxFile& f) { return f.WriteBytes(text.data(), text.size()); }, &why);
    if (!ok) s_.Error("The record index could not be written: " + IndexPath() + ": " + why);
    return ok;
  }

  std::vector<PassThrough> ReadIndex() const {
    std::vector<PassThrough> refs;
    Record probe;
    if (Kind::PassThroughOf(probe)) return refs;
    std::string text;
    if (CxFile::FileSize(IndexPath()) > RecordStore::kMaxFileBytes * 64 ||
        !platform::ReadWholeFile(IndexPath(), text))
      return refs;
    std::size_t start = 0;
    while (start < text.size()) {
      std::size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      std::string_view line(text.data() + start, end - start);
      PassThrough ref;
      std::size_t tab = line.find('\t');
      ref.file = Unescaped(line.substr(0, tab));
      line.remove_prefix(tab == std::string_view::npos ? line.size() : tab + 1);
      tab = line.find('\t');
      ref.revision = Unescaped(line.substr(0, tab));
      line.remove_prefix(tab == std::string_view::npos ? line.size() : tab + 1);
      ref.uid = Unescaped(line);
      refs.push_back(std::move(ref));
      start = end + 1;
    }
    return refs;
  }

  // Where a loaded record lives; empty when it cannot be told (then it is added).
  PassThrough RefOf(Record& r, const std::vector<PassThrough>& index) const {
    if (auto* pass = Kind::PassThroughOf(r)) return PassThrough::Parse(pass->view());
    if (r.RecordTag >= 1 && static_cast<std::size_t>(r.RecordTag) <= index.size())
      return index[static_cast<std::size_t>(r.RecordTag) - 1];
    return {};
  }

  HelperSession& s_;
  RecordBackend<Record>& backend_;
};

// The calendar definition file a calendar load leaves beside the data file (parameter 1008).
inline bool WriteCalendarFile(HelperSession& s, AccountBackend& account) {
  std::string name = s.Params().Text(kGParamCalendarFile);
  if (name.empty()) return true;
  GoogleCalendar cal;
  std::string error;
  if (!account.Calendar(cal, error)) {
    s.Error(error);
    return false;
  }
  bool ok = ReplaceFile(s.Folder() + name, [&](CxFile& f) {
    f.WriteInt32(1);
    return WriteGoogleCalendar(f, cal);
  });
  if (!ok) s.Error("The calendar definition file could not be written.");
  return ok;
}

// The whole run of a helper: session, account, operation. Returns the exit code (meaningless
// to the connector).
template <class Kind>
int RunHelperProgram(int argc, char** argv) {
  using Record = typename Kind::Record;
  HelperSession session;
  if (!session.Begin(argc, argv)) return 2;
  std::string error;
  std::unique_ptr<AccountBackend> account =
      MakeAccountBackend(HelperSettings::ForAccount(session.User()), error);
  if (!account || !account->Open(session.User(), session.Password(), error)) {
    session.Error(error);
  } else if (session.StopRequested()) {
    session.Error(HelperSession::kStoppedText);
  } else if (std::unique_ptr<RecordBackend<Record>> backend = account->For<Record>(session);
             !backend) {
    session.Error(std::string("This account keeps no ") + Kind::kFolder + ".");
  } else {
    HelperFlow<Kind> flow(session, *backend);
    std::vector<Record> records;
    if (session.Operation() == kHelperLoad) {
      bool ready = true;
      if constexpr (std::is_same_v<Kind, EventKind>) ready = WriteCalendarFile(session, *account);
      if (ready) flow.Load(records);
    } else if (session.Operation() == kHelperSubmit) {
      if (flow.ReadRecords(records)) flow.Submit(records);
    } else {
      session.Error("Unknown operation " + session.Params().Text(kGParamOperation) + ".");
    }
  }
  session.End();
  return 0;
}
