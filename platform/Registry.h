#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A read-only stand-in for the registry: keys are opened under a root, values are queried by
// name, and names of keys and values match without regard to ASCII case. Key paths use
// backslashes, as the registry's do.
namespace platform {

enum class RegRoot { kLocalMachine, kCurrentUser };

enum class RegType { kString, kExpandString, kMultiString, kDword, kBinary };

struct RegValue {
  RegType type = RegType::kString;
  std::string text;                 // UTF-8; strings only
  std::uint32_t dword = 0;          // kDword only
  std::vector<std::uint8_t> bytes;  // kBinary and other raw kinds
};

// An open key: the values of one key as they were when it was opened. Closing is dropping it.
class RegKey {
 public:
  bool QueryValue(std::string_view name, RegValue& out) const;
  // Only string kinds answer; a number or raw bytes is not text.
  bool QueryText(std::string_view name, std::string& out) const;
  // Adds or replaces a value; "" or "@" is the key's default value.
  void SetValue(std::string_view name, RegValue value);
  // Values of `other` replace values of the same name.
  void Overlay(const RegKey& other);

 private:
  std::map<std::string, RegValue> values_;  // lower-case names
};

class Registry {
 public:
  virtual ~Registry() = default;
  // nullopt when the key does not exist. A key exists when it, or any key below it, was stored.
  virtual std::optional<RegKey> OpenKey(RegRoot root, std::string_view path) const = 0;
};

// Keys held in memory: the test double, and what the file-backed store is built from.
class MemoryRegistry : public Registry {
 public:
  std::optional<RegKey> OpenKey(RegRoot root, std::string_view path) const override;

  void AddKey(RegRoot root, std::string_view path);
  void SetValue(RegRoot root, std::string_view path, std::string_view name, RegValue value);
  void SetText(RegRoot root, std::string_view path, std::string_view name, std::string text);
  // Reads keys and values in the .reg syntax; every section header names its root
  // ("[HKEY_LOCAL_MACHINE\Software\...]"). Values are taken as they are written.
  void ParseRegText(std::string_view text);

 private:
  std::map<std::string, RegKey> keys_;  // "<root>\<lower-case path>"
};

// The real store: the user's Wine prefix (system.reg for HKEY_LOCAL_MACHINE, user.reg for
// HKEY_CURRENT_USER), with a seed file in the same syntax laid over it. Wine values that name a
// drive path ("C:\...") are turned into paths under the prefix's dosdevices folder so that the
// files can be opened here; seed values are taken as written. Files are read again when they
// change on disk.
class FileRegistry : public Registry {
 public:
  // An empty prefix or seed path means none.
  FileRegistry(std::string winePrefix, std::string seedFile);
  std::optional<RegKey> OpenKey(RegRoot root, std::string_view path) const override;

 private:
  struct Cached;
  std::shared_ptr<const Cached> Load() const;

  std::string winePrefix_;
  std::string seedFile_;
  mutable std::mutex lock_;
  mutable std::shared_ptr<const Cached> cache_;
};

// $WINEPREFIX, or ~/.wine; empty when no home is known.
std::string DefaultWinePrefix();
// $XDG_CONFIG_HOME/quillmove/registry.reg, or ~/.config/quillmove/registry.reg.
std::string DefaultRegistrySeedFile();

// The seed file of the process-wide store; set at start-up once the data folder is known.
void SetRegistrySeedFile(std::string path);
// The store every registry read goes through: a FileRegistry over the default Wine prefix and
// the seed file, unless one was installed.
std::shared_ptr<const Registry> CurrentRegistry();
// Installs a store for the whole process (tests); null restores the default.
void SetRegistry(std::shared_ptr<const Registry> registry);

}  // namespace platform
