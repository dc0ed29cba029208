#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

// A sample store of the stand-in Outlook (docs/outlook-store.md): contacts with every kind of
// property, user properties of several types and names in several scripts; appointments with
// every recurrence kind and reminders; tasks and notes. Everything comes from one seed, so the
// same options give the same document.

struct OlDemoOptions {
  std::uint32_t seed = 20090401;
  std::size_t contacts = 200;
  std::size_t events = 160;
  std::size_t tasks = 30;
  std::size_t notes = 20;
};

nlohmann::ordered_json MakeOutlookDemoStore(const OlDemoOptions& options);

// Writes the document to `path`, replacing the file whole. False with the reason in `error`.
bool WriteOutlookDemoStore(const std::string& path, const OlDemoOptions& options,
                           std::string& error);

// Writes an "OUTLOOK.EXE" whose file version is 12.0.6425.1000 into `folder` (made when
// missing), for the registry's App Paths entry: the connectors take their version class from it.
bool WriteOutlookProgram(const std::string& folder, std::string& error);
