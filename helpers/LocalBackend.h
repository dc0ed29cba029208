#pragma once

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "AccountBackend.h"
#include "LocalAccount.h"
#include "RecordKinds.h"
#include "misc/CxDebugUtil.h"
#include "platform/AtomicFile.h"

// The records of one kind in a local account: one file per record in the kind's folder.
template <class Kind>
class LocalRecordBackend : public RecordBackend<typename Kind::Record> {
 public:
  using Record = typename Kind::Record;

  LocalRecordBackend(BackendHost& host, const LocalAccount& account)
      : host_(host), store_(account.KindFolder(Kind::kFolder), Kind::kExtension) {}
  ~LocalRecordBackend() override {
    for (const std::string& skipped : RecordStore::Skipped()) host_.Warning(skipped);
    RecordStore::Skipped().clear();
  }

  bool LoadAll(std::vector<LoadedRecord<Record>>& out, std::string&) override {
    std::vector<std::string> names = store_.List();
    std::size_t unreadable = 0;
    for (std::size_t i = 0; i < names.size(); ++i) {
      if (host_.StopRequested()) return false;
      std::string content, why;
      LoadedRecord<Record> loaded;
      if (!store_.Read(names[i], content) || !Kind::Parse(content, loaded.record, why)) {
        if (!why.empty()) RecordStore::SkipLastRead(why);
        ++unreadable;
        continue;
      }
      loaded.ref = PassThrough{names[i], Revision(content), {}};
      out.push_back(std::move(loaded));
      host_.Progress("Loading", Kind::kNoun, i + 1, names.size());
    }
    if (unreadable)
      QM_LOG_ERROR("%zu %s files of %s could not be read and were left out.", unreadable,
                   Kind::kNoun, store_.Folder().c_str());
    return true;
  }

  void Add(std::span<RecordChange<Record>> batch, SubmitProgress& progress) override {
    for (RecordChange<Record>& c : batch) {
      if (host_.StopRequested()) return;
      progress.Step();
      Write(c, store_.NewName());
    }
  }

  void Update(std::span<RecordChange<Record>> batch, SubmitProgress& progress) override {
    for (RecordChange<Record>& c : batch) {
      if (host_.StopRequested()) return;
      progress.Step();
      // A ref is the program's to keep, not to point us elsewhere: a name that is not one of
      // this store's files adds the record instead.
      std::string name = store_.ValidName(c.ref.file) ? c.ref.file : std::string();
      NoteConcurrentChange(c.ref, name);
      Write(c, name.empty() ? store_.NewName() : name);
    }
  }

  // All files of one submit share one flush to disk; each is still replaced whole.
  void Finish() override {
    store_.SetBatch(nullptr);
    for (const std::string& path : batch_.Commit()) {
      for (RecordChange<Record>* c : staged_[path]) {
        c->done = false;
        c->error = FailedText(path);
      }
    }
    staged_.clear();
  }

 private:
  void Write(RecordChange<Record>& c, const std::string& name) {
    store_.SetBatch(&batch_);
    std::string content = Kind::Format(*c.record, UidOf(name));
    if (!store_.Write(name, content)) {
      c.error = FailedText(name);
      return;
    }
    std::size_t hash = name.rfind('#');
    staged_[store_.Folder() + name.substr(0, hash)].push_back(&c);
    c.ref = PassThrough{name, Revision(content), {}};
    c.done = true;
  }

  std::string FailedText(const std::string& name) const {
    return "The " + std::string(Kind::kNoun) + " file " + name + " could not be written.";
  }

  // "x.vcf" is card x; card 2 of a file of several, "x.vcf#2", is x-2.
  static std::string UidOf(const std::string& name) {
    const std::size_t ext = std::strlen(Kind::kExtension);
    if (auto hash = name.rfind('#'); hash != std::string::npos)
      return name.substr(0, hash - ext) + "-" + name.substr(hash + 1);
    return name.substr(0, name.size() - ext);
  }

  // The account has no locks: a file changed since the load is replaced all the same (the
  // program's record is what the user chose), but the log says so.
  void NoteConcurrentChange(const PassThrough& ref, const std::string& name) const {
    std::string content;
    if (name.empty() || ref.revision.empty() || !store_.Read(name, content)) return;
    if (ref.revision != Revision(content))
      QM_LOG_INFO("%s changed since it was loaded; replacing it.", name.c_str());
  }

  BackendHost& host_;
  RecordStore store_;
  platform::AtomicFileBatch batch_;
  std::map<std::string, std::vector<RecordChange<Record>*>> staged_;
};

// The local account as a back end.
class LocalAccountBackend : public AccountBackend {
 public:
  explicit LocalAccountBackend(std::string root) : root_(std::move(root)) {}

  bool Open(const std::string& email, const std::string& password, std::string& error) override;
  std::unique_ptr<RecordBackend<GoogleContact>> Contacts(BackendHost& host) override;
  std::unique_ptr<RecordBackend<GoogleEvent>> Events(BackendHost& host) override;
  std::unique_ptr<RecordBackend<GoogleTask>> Tasks(BackendHost& host) override;
  std::unique_ptr<RecordBackend<GoogleNote>> Notes(BackendHost& host) override;
  // The account has one calendar, in this machine's time zone.
  bool Calendar(GoogleCalendar& calendar, std::string& error) override;

  const LocalAccount& Account() const { return account_; }

 private:
  std::string root_;
  std::string email_;
  LocalAccount account_;
};
