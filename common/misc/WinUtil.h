#pragma once

#include <cstddef>
#include <string_view>

#include "misc/WinTypes.h"

// Facts about the machine and the installed source programs, and small conversions shared by
// several parts. Every function that fills a text buffer takes its size, writes an empty text on
// failure and never writes past the buffer. Paths use '/' (the registry stand-in maps Windows
// drive paths into the Wine prefix).

// The folder of the program, or of the module whose dlopen() handle is given, ending in '/'.
// False on a null buffer or when the folder does not fit.
bool GetModuleFolder(void* module, char* out, std::size_t size);

// The Windows version class (0-8). There is no Windows version here: always -1.
int GetOsVersionClass();

// The date ("MM/DD/YYYY") or time ("HH:MM:SS") of a date of at least 0.001, else "N/A"; cut to
// the buffer. False on a null buffer or a zero size.
bool DateTextOrNA(OleDate date, char* out, std::size_t size);
bool TimeTextOrNA(OleDate date, char* out, std::size_t size);

// Compares year, month and day only: -1 earlier, 0 same day, 1 later. A null first argument
// gives -1, then a null second 1.
int CompareDates(const SYSTEMTIME* a, const SYSTEMTIME* b);
// Copies year, month, day and day of week; the destination's time of day stays.
bool CopyDate(const SYSTEMTIME* source, SYSTEMTIME* destination);

// The file version of a Windows executable: major.minor from the most significant double word,
// build.revision from the least. All four 0 and false when it cannot be read.
bool GetFileVersion(std::string_view path, int& major, int& minor, int& build, int& revision);

// Registry lookups. A value that does not fit the buffer fails, as the registry's read would.
bool GetNotesProgramFolder(char* out, std::size_t size);
// Ends with a separator: '/' appended unless the value already ends with one ('\' for a value
// written with backslashes only).
bool GetNotesDataFolder(char* out, std::size_t size);
// "major.minor.build.revision" of Notes.exe in the program folder.
bool GetNotesVersion(char* out, std::size_t size);
bool GetActInstallPath(char* out, std::size_t size);
bool GetActAppName(char* out, std::size_t size);
// Install path (with a separator appended when missing) followed by the application name.
bool GetActProgramPath(char* out, std::size_t size);
// The App Paths folder value followed directly by "OUTLOOK.EXE" (the value is expected to end
// with a separator), and that file's version.
bool GetOutlookVersion(char* out, std::size_t size);
// The same path; cut to the buffer.
bool GetOutlookProgramPath(char* out, std::size_t size);

// Opens a file, folder or address with the desktop's handler; false only on an empty text or
// when the handler cannot be started.
bool OpenWithShell(std::string_view target);

// The first 1,024 bytes as lower-case hex pairs separated by single spaces. The text lives in a
// per-thread buffer that the thread's next call overwrites; null or zero length gives "".
const char* HexDump(const void* bytes, std::size_t length);

// UTF-8 <-> wchar_t (UTF-32 here). The output is cut at a whole character and its last element
// is always NUL; a null or empty input gives an empty text. Malformed input becomes U+FFFD.
// Both return the elements written before the terminator.
std::size_t ToNarrow(const wchar_t* text, char* out, std::size_t size);
std::size_t ToWide(const char* text, wchar_t* out, std::size_t size);
