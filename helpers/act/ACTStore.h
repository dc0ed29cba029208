#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "ACT/ACTRecords.h"
#include "misc/WinTypes.h"

// The stand-in ACT! database of our helpers: one JSON document at the ".pad" path the connector
// names, holding its users and its native records (docs/act-store.md). Records are objects
// keyed by field names; keys we do not know are kept as they are when the document is written.
class ACTStore {
 public:
  // A document beyond this is not a database of a person's contacts.
  static constexpr std::int64_t kMaxDocumentBytes = 64 << 20;

  // False with the reason for the person.
  bool Open(const std::string& path, std::string& error);
  // The user must be one of the document's "users", the name compared without case.
  bool CheckUser(std::string_view user, std::string_view password, std::string& error) const;
  // Replaces the document whole; the old one stays when that fails.
  bool Save(std::string& error) const;

  // The array of that name (made when absent; a value of another kind is reported by Open).
  nlohmann::json& List(const char* name);
  const std::string& Path() const { return path_; }
  // Values that could not be read into their fields (the field stays empty), for the error
  // file's warnings.
  std::vector<std::string>& Warnings() { return warnings_; }

 private:
  std::string path_;
  nlohmann::json doc_;
  std::vector<std::string> warnings_;
};

// Local date-time text "YYYY-MM-DD" or "YYYY-MM-DD HH:MM:SS"; "" for no date.
std::string ACTDateText(OleDate date);
// False for a text that is not such a date; "" is no date.
bool ParseACTDate(std::string_view text, OleDate& date);

// The native records and their JSON objects. Reading takes the keys it knows and warns about
// values of the wrong kind; writing sets the keys it knows and leaves every other key alone.
void ContactFromJson(const nlohmann::json& obj, ACTContactRecord& r, std::vector<std::string>& w);
void ContactToJson(const ACTContactRecord& r, nlohmann::json& obj);

template <class Record>
void RecordFromJson(const nlohmann::json& obj, Record& r, std::vector<std::string>& warnings);
template <class Record>
void RecordToJson(const Record& r, nlohmann::json& obj);

extern template void RecordFromJson(const nlohmann::json&, ACTEventRecord&,
                                    std::vector<std::string>&);
extern template void RecordFromJson(const nlohmann::json&, ACTTaskRecord&,
                                    std::vector<std::string>&);
extern template void RecordFromJson(const nlohmann::json&, ACTNoteRecord&,
                                    std::vector<std::string>&);
extern template void RecordToJson(const ACTEventRecord&, nlohmann::json&);
extern template void RecordToJson(const ACTTaskRecord&, nlohmann::json&);
extern template void RecordToJson(const ACTNoteRecord&, nlohmann::json&);
