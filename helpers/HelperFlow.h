#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "HelperSession.h"
#include "LocalAccount.h"
#include "misc/CxDateTime.h"
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

// The flow every Google helper shares: open the account, then load (every record file of its
// kind into the data file) or submit (the records of the data file marked as changed into
// record files; nothing is ever deleted).
//
// `Kind` supplies: the Record type; kNoun ("contact"), kFolder ("contacts"), kExtension
// (".vcf"); Parse(content, record) and Format(record, name); Read/Write of the data-file
// record; and, for record types with a pass-through text, PassThroughOf(record) (a pointer to
// the text, or null when the record has none, in which case an index file in the working
// folder remembers which file each loaded record came from).
template <class Kind>
class HelperFlow {
 public:
  using Record = typename Kind::Record;

  HelperFlow(HelperSession& session, LocalAccount& account)
      : s_(session), store_(account.KindFolder(Kind::kFolder), Kind::kExtension) {}

  const RecordStore& Store() const { return store_; }

  // False when stopped or the data file could not be written (reported).
  bool Load(std::vector<Record>& records) {
    std::vector<std::string> names = store_.List();
    std::vector<std::string> loadedNames;
    std::size_t unreadable = 0;
    for (std::size_t i = 0; i < names.size(); ++i) {
      if (s_.StopRequested()) {
        s_.Error(HelperSession::kStoppedText);
        return false;
      }
      std::string content;
      Record r;
      if (!store_.Read(names[i], content) || !Kind::Parse(content, r)) {
        ++unreadable;
        continue;
      }
      r.RecordTag = static_cast<std::int32_t>(records.size() + 1);
      r.ChangeState = 0;
      r.Action = 0;
      if (auto* pass = Kind::PassThroughOf(r))
        *pass = PassThrough{names[i], Revision(content)}.Format();
      records.push_back(std::move(r));
      loadedNames.push_back(names[i]);
      s_.Progress("Loading", Kind::kNoun, i + 1, names.size());
    }
    if (unreadable)
      QM_LOG_ERROR("%zu %s files of %s could not be read and were left out.", unreadable,
                   Kind::kNoun, store_.Folder().c_str());
    if (!WriteIndex(loadedNames)) return false;
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

  // Applies every record marked as changed (ChangeState 2): Action 1 adds a file, Action 2
  // replaces the record's own file. Returns the number applied.
  std::size_t Submit(std::vector<Record>& records) {
    std::vector<std::string> index = ReadIndex();
    // All files of one submit share one flush to disk; each is still replaced whole.
    platform::AtomicFileBatch batch;
    store_.SetBatch(&batch);
    std::size_t total = 0, done = 0;
    for (const Record& r : records) total += r.ChangeState == 2 ? 1 : 0;
    for (Record& r : records) {
      if (r.ChangeState != 2) continue;
      if (s_.StopRequested()) {
        s_.Error(HelperSession::kStoppedText);
        break;
      }
      ++done;
      s_.Progress("Saving", Kind::kNoun, done, total);
      if (r.Action != kHelperActionAdd && r.Action != kHelperActionUpdate) {
        s_.Error("Record " + std::to_string(done) + " has an unknown action " +
                 std::to_string(r.Action) + ".");
        continue;
      }
      std::string name;
      if (r.Action == kHelperActionUpdate) {
        name = FileOf(r, index);
        NoteConcurrentChange(r, name);
      }
      if (name.empty()) name = store_.NewName();
      std::string content = Kind::Format(r, name);
      if (!store_.Write(name, content)) {
        s_.Error("The " + std::string(Kind::kNoun) + " file " + name + " could not be written.");
        continue;
      }
      ++applied_;
    }
    store_.SetBatch(nullptr);
    for (const std::string& path : batch.Commit()) {
      s_.Error("The " + std::string(Kind::kNoun) + " file " + path + " could not be written.");
      --applied_;
    }
    return applied_;
  }

 private:
  std::string IndexPath() const {
    std::string data = s_.DataFilePath();
    auto dot = data.rfind('.');
    return (dot == std::string::npos ? data : data.substr(0, dot)) + "Files.txt";
  }

  bool WriteIndex(const std::vector<std::string>& names) {
    Record probe;
    if (Kind::PassThroughOf(probe)) return true;
    std::string text;
    for (const std::string& n : names) text += n + "\n";
    std::string why;
    bool ok = ReplaceFile(
        IndexPath(), [&](CxFile& f) { return f.WriteBytes(text.data(), text.size()); }, &why);
    if (!ok) s_.Error("The record index could not be written: " + IndexPath() + ": " + why);
    return ok;
  }

  std::vector<std::string> ReadIndex() const {
    std::vector<std::string> names;
    Record probe;
    if (Kind::PassThroughOf(probe)) return names;
    std::string text;
    if (CxFile::FileSize(IndexPath()) > RecordStore::kMaxFileBytes * 64 ||
        !platform::ReadWholeFile(IndexPath(), text))
      return names;
    std::size_t start = 0;
    while (start < text.size()) {
      std::size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      names.push_back(text.substr(start, end - start));
      start = end + 1;
    }
    return names;
  }

  // The account has no locks: a file changed since the load is replaced all the same (the
  // program's record is what the user chose), but the log says so.
  void NoteConcurrentChange(Record& r, const std::string& name) const {
    auto* pass = Kind::PassThroughOf(r);
    std::string content;
    if (!pass || name.empty() || !store_.Read(name, content)) return;
    std::string loaded = PassThrough::Parse(pass->view()).revision;
    if (!loaded.empty() && loaded != Revision(content))
      QM_LOG_INFO("%s changed since it was loaded; replacing it.", name.c_str());
  }

  // The file a loaded record came from; empty when it cannot be told (then it is added).
  std::string FileOf(Record& r, const std::vector<std::string>& index) const {
    std::string name;
    if (auto* pass = Kind::PassThroughOf(r)) {
      name = PassThrough::Parse(pass->view()).file;
    } else if (r.RecordTag >= 1 && static_cast<std::size_t>(r.RecordTag) <= index.size()) {
      name = index[static_cast<std::size_t>(r.RecordTag) - 1];
    }
    // A pass-through text is the program's to keep, not to point us elsewhere.
    return store_.ValidName(name) ? name : std::string();
  }

  HelperSession& s_;
  RecordStore store_;
  std::size_t applied_ = 0;
};

// The whole run of a helper: session, account, operation. Returns the exit code (meaningless
// to the connector). `Extra` may add steps around the kind's load and submit (the calendar).
template <class Kind>
int RunHelperProgram(int argc, char** argv) {
  HelperSession session;
  if (!session.Begin(argc, argv)) return 2;
  LocalAccount account;
  std::string error;
  if (!account.Open(LocalAccount::AccountsRoot(), session.User(), session.Password(), error)) {
    session.Error(error);
  } else if (!session.StopRequested()) {
    HelperFlow<Kind> flow(session, account);
    if (session.Operation() == kHelperLoad) {
      std::vector<typename Kind::Record> records;
      if (Kind::BeforeLoad(session, account)) flow.Load(records);
    } else if (session.Operation() == kHelperSubmit) {
      std::vector<typename Kind::Record> records;
      if (flow.ReadRecords(records)) {
        Kind::BeforeSubmit(session, account);
        flow.Submit(records);
      }
    } else {
      session.Error("Unknown operation " + session.Params().Text(kGParamOperation) + ".");
    }
  } else {
    session.Error(HelperSession::kStoppedText);
  }
  for (const std::string& skipped : RecordStore::Skipped()) session.Warning(skipped);
  session.End();
  return 0;
}
