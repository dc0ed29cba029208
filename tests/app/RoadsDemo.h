// The demo data of the Outlook, ACT! and Lotus Notes roads, laid out where the wizard and the
// engine look for it, for the tests and harnesses that walk the wizard along those roads.
#pragma once

#include <QString>
#include <string>

namespace platform {
class MemoryRegistry;
}

struct RoadsDemo {
  QString outlookProgram;  // OUTLOOK.EXE, version 12
  QString actProgram;      // ActSage.exe
  QString actPad;          // a copy of the demo ACT! database, found under the documents folder
  QString notesProgram;    // Notes.exe, version 8.5.3.0
  QString notesData;       // copies of the demo Notes databases, with a trailing '/'
  QString notesIdFile;
  QString notesAddressBook;
  QString notesMailServerName;  // the mail database by its server name, which NotesHelper.ini maps
};

// Writes the demo data under `home` (HOME, whose Documents folder the ACT! page searches) and the
// Outlook store into `dataFolder`; enters the programs' places in `registry`. The demo sources
// are read from `sourceDir` (the repository). False with the reason in `error`.
bool WriteRoadsDemo(const QString& home, const std::string& dataFolder, const QString& sourceDir,
                    platform::MemoryRegistry& registry, RoadsDemo& demo, QString& error);
