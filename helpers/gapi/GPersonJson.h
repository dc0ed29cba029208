#pragma once

#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "google/GoogleContact.h"

// Google contacts as People API persons. Typed slots go out in slot order and come back in
// the order of the lists, so a contact whose slots fill from the front returns slot for slot;
// a primary value no slot holds travels as an entry of its own without a type.
//
// Groups: `Groups` lists group names separated by commas; persons carry memberships by
// resource name. The maps give one from the other (user groups only).
struct GPersonGroups {
  std::map<std::string, std::string> nameOf;      // "contactGroups/abc" -> "Friends"
  std::map<std::string, std::string> resourceOf;  // "Friends" -> "contactGroups/abc"
};

// Every person field the contact has, for reads and for update masks.
inline constexpr const char* kGPersonFields =
    "names,nicknames,emailAddresses,phoneNumbers,addresses,organizations,birthdays,events,"
    "biographies,urls,imClients,userDefined,relations,memberships,metadata";

// The person of a contact: only fields with a value (an update never blanks a field).
nlohmann::json PersonOfContact(const GoogleContact& contact, const GPersonGroups& groups);
// Fills `contact` (start from an empty one) from a person.
void ContactOfPerson(const nlohmann::json& person, GoogleContact& contact,
                     const GPersonGroups& groups);

// The group names of a contact's groups text ("Friends, Work").
std::vector<std::string> GroupNamesOf(std::string_view groups);

// `ours` laid over `current` (the person as the server has it now): each field ours has
// replaces the server's, entries of the server's lists that ours lacks stay (nothing is
// removed), memberships are joined. `fields` gets the update mask: the fields ours has.
nlohmann::json MergePerson(const nlohmann::json& current, const nlohmann::json& ours,
                           std::string& fields);
