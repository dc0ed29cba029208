#pragma once

#include <string>
#include <string_view>

#include "VCard.h"
#include "google/GoogleContact.h"

// A Google contact as a vCard 3.0 in the form Google's own contacts export takes: TYPE
// parameters on EMAIL, TEL, ADR and URL, the X-ABLabel of an item group naming relations,
// custom fields, other dates and other web sites, X- properties for instant messaging.
//
// Typed slots go out in slot order and come back in file order, so a contact whose slots are
// filled from the front returns slot for slot. Slots with a type but no value are absent, as
// the contract allows; PREF marks the slot that holds the primary value, and a primary value
// no slot holds goes out on a line of its own with PREF alone.
std::string WriteContactCard(const GoogleContact& contact, std::string_view uid);

// The name an address book shows for a contact that has no display name of its own: given,
// middle and family name, else the company, else the first e-mail address.
std::string DerivedDisplayName(const GoogleContact& contact);

// Fills `contact` (start from an empty one) from a card; `uid` gets the UID property.
void ReadContactCard(const VCard& card, GoogleContact& contact, std::string* uid = nullptr);

// Stamps used on both sides: "YYYY-MM-DD" (with "THH:MM:SS" when the date has a time) for
// dates, UTC "YYYYMMDDTHHMMSSZ" for REV. The readers take both with or without separators.
std::string CardDate(OleDate date);
bool ParseCardDate(std::string_view text, OleDate& date);
std::string UtcStamp(OleDate local);
bool ParseUtcStamp(std::string_view text, OleDate& local);
