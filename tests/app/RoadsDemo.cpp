#include "RoadsDemo.h"

#include <QDir>
#include <QFile>

#include "demo/OlDemoStore.h"
#include "pe/PeBuilder.h"
#include "platform/Registry.h"

namespace {

bool WriteBytes(const QString& path, const QByteArray& bytes, QString& error) {
  QFile f(path);
  if (f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size())
    return true;
  error = QStringLiteral("cannot write %1: %2").arg(path, f.errorString());
  return false;
}

bool Copy(const QString& from, const QString& to, QString& error) {
  QFile::remove(to);
  if (QFile::copy(from, to)) return true;
  error = QStringLiteral("cannot copy %1 to %2").arg(from, to);
  return false;
}

}  // namespace

bool WriteRoadsDemo(const QString& home, const std::string& dataFolder, const QString& sourceDir,
                    platform::MemoryRegistry& registry, RoadsDemo& demo, QString& error) {
  const QString actFolder = home + QStringLiteral("/Documents/ACT/ACT for Windows/Databases");
  demo.notesData = home + QStringLiteral("/NotesData/");
  for (const QString& dir : {home + QStringLiteral("/ACT"), actFolder,
                             home + QStringLiteral("/Notes"), demo.notesData}) {
    if (!QDir().mkpath(dir)) {
      error = QStringLiteral("cannot make %1").arg(dir);
      return false;
    }
  }
  // Outlook: the demo store in the data folder, and OUTLOOK.EXE with its version.
  std::string failed;
  if (!WriteOutlookDemoStore(dataFolder + "outlook-store.json", OlDemoOptions{}, failed) ||
      !WriteOutlookProgram((home + QStringLiteral("/Office")).toStdString(), failed)) {
    error = QString::fromStdString(failed);
    return false;
  }
  demo.outlookProgram = home + QStringLiteral("/Office/OUTLOOK.EXE");
  // ACT!: a copy of the demo database, so that a submit never changes the checked-in one.
  demo.actProgram = home + QStringLiteral("/ACT/ActSage.exe");
  demo.actPad = actFolder + QStringLiteral("/demo.pad");
  if (!WriteBytes(demo.actProgram, "MZ", error) ||
      !Copy(sourceDir + QStringLiteral("/tools/demo/act-demo.json"), demo.actPad, error))
    return false;
  // Lotus Notes: copies of the databases, the helpers' map of server names, Notes.exe.
  for (const char* file : {"names.json", "mail.json", "notebook.json", "demo.id"}) {
    if (!Copy(sourceDir + QStringLiteral("/tools/demo/notes/") + QLatin1String(file),
              demo.notesData + QLatin1String(file), error))
      return false;
  }
  demo.notesIdFile = demo.notesData + QStringLiteral("demo.id");
  demo.notesAddressBook = demo.notesData + QStringLiteral("names.json");
  demo.notesMailServerName = QStringLiteral("Mail01!!mail\\demo.nsf");
  demo.notesProgram = home + QStringLiteral("/Notes/Notes.exe");
  const std::string exe = PeFileContent(8, 5, 3, 0);
  if (!WriteBytes(home + QStringLiteral("/Notes/NotesHelper.ini"),
                  QStringLiteral("[Databases]\n%1=%2mail.json\n")
                      .arg(demo.notesMailServerName, demo.notesData)
                      .toUtf8(),
                  error) ||
      !WriteBytes(demo.notesProgram, QByteArray(exe.data(), static_cast<qsizetype>(exe.size())),
                  error))
    return false;

  using platform::RegRoot;
  registry.SetText(RegRoot::kLocalMachine,
                   "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\OUTLOOK.EXE", "Path",
                   (home + QStringLiteral("/Office/")).toStdString());
  registry.SetText(RegRoot::kLocalMachine, "SOFTWARE\\ACT\\Install", "InstallPath",
                   (home + QStringLiteral("/ACT")).toStdString());
  registry.SetText(RegRoot::kLocalMachine, "SOFTWARE\\ACT\\Install", "AppName", "ActSage.exe");
  registry.SetText(RegRoot::kLocalMachine, "SOFTWARE\\Lotus\\Notes", "Path",
                   (home + QStringLiteral("/Notes")).toStdString());
  return true;
}
