#pragma once

#include <initializer_list>
#include <map>
#include <string>
#include <vector>

// What `dump` was told after the application: the data type and the options.
struct DumpArgs {
  std::string type;
  std::map<std::string, std::string> options;  // "--email" -> value
  bool native = false;                         // --native: the application's own records

  const std::string* Get(const std::string& key) const {
    auto it = options.find(key);
    return it == options.end() ? nullptr : &it->second;
  }
  // The first option outside `allowed`, or null.
  const std::string* Unknown(std::initializer_list<const char*> allowed) const {
    for (const auto& [key, value] : options) {
      bool known = false;
      for (const char* a : allowed) known = known || key == a;
      if (!known) return &key;
    }
    return nullptr;
  }
};

// Parses the arguments of an application loaded by file or by user (args[0] is the
// application); 0, or the exit code after a message.
int ParsePalmDumpArgs(const std::vector<std::string>& args, DumpArgs& a);

int DumpPalmContacts(const DumpArgs& a);
int DumpPalmCalendar(const DumpArgs& a);
int DumpPalmTasks(const DumpArgs& a);
int DumpPalmNotes(const DumpArgs& a);

// Parses the arguments of a Lotus Notes dump (args[0] is "notes"); 0, or the exit code after a
// message.
int ParseNotesDumpArgs(const std::vector<std::string>& args, DumpArgs& a);

int DumpNotesContacts(const DumpArgs& a);
int DumpNotesCalendar(const DumpArgs& a);
int DumpNotesTasks(const DumpArgs& a);
int DumpNotesNotes(const DumpArgs& a);
// `dump outlook TYPE [--store FILE] [--native] [--time]`.
int ParseOutlookDumpArgs(const std::vector<std::string>& args, DumpArgs& a);
int DumpOutlookContacts(const DumpArgs& a);
int DumpOutlookCalendar(const DumpArgs& a);
int DumpOutlookTasks(const DumpArgs& a);
int DumpOutlookNotes(const DumpArgs& a);
