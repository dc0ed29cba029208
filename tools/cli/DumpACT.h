#pragma once

#include <string>
#include <vector>

#include "cli/DumpSources.h"

// Parses `SOURCE TYPE --database FILE [--user U] [--password P] [--folder DIR] [--data-file FILE]
// [--native]` (args[0] is the application); 0, or the exit code after a message.
int ParseACTDumpArgs(const std::vector<std::string>& args, DumpArgs& a);

int DumpACTContacts(const DumpArgs& a);
int DumpACTCalendar(const DumpArgs& a);
int DumpACTTasks(const DumpArgs& a);
int DumpACTNotes(const DumpArgs& a);
