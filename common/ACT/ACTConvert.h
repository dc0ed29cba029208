#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "ACT/ACTRecords.h"
#include "misc/CommonContact.h"
#include "misc/CommonEvent.h"
#include "misc/CommonNote.h"
#include "misc/CommonTask.h"

// The conversions between the ACT! records and the common ones, with the pieces that carry
// their risks: phones with separate extensions, three address lines, the recurrence table and
// the priorities.

// "555-1234" and "12" -> "555-1234x12"; an empty phone gives an empty text whatever the
// extension.
std::string JoinACTPhone(std::string_view phone, std::string_view extension);
// The part before the first "x" and the part after it (no "x": the whole text and nothing).
struct ACTPhoneParts {
  std::string phone;
  std::string extension;
};
ACTPhoneParts SplitACTPhone(std::string_view common);

// The non-empty lines joined with CR LF.
std::string JoinACTStreet(std::string_view line1, std::string_view line2, std::string_view line3);
// Line 1 up to the first CR LF, line 2 up to the second; line 3 takes the rest, with any further
// line breaks made ", " so that a fourth line is not lost.
std::array<std::string, 3> SplitACTStreet(std::string_view street);

// ACT! 0 is high and 2 low; the common record counts 1 high and 2 low, 0 normal.
std::int32_t ACTPriorityToCommon(std::int32_t priority);
std::int32_t CommonPriorityToACT(std::int32_t importance);
// The review page's word for an ACT! priority: "High", "Normal" or "Low".
const char* ACTImportanceWord(std::int32_t priority);

// The ACT! contact field ids whose text fills mapped custom slots 1..10 on load (0 = none).
// One table for the process; false for a slot outside 0..9.
bool SetACTCustomField(int slot, std::uint32_t id);
std::uint32_t ACTCustomField(int slot);

// Load: `common` starts empty. Write: into the native record (the loaded one on an update, so
// what the conversion does not write survives).
void ACTToCommon(const ACTContactRecord& act, CommonContact& common);
void CommonToACT(const CommonContact& common, ACTContactRecord& act);
void ACTToCommon(const ACTEventRecord& act, CommonEvent& common);
void CommonToACT(const CommonEvent& common, ACTEventRecord& act);
void ACTToCommon(const ACTTaskRecord& act, CommonTask& common);
void CommonToACT(const CommonTask& common, ACTTaskRecord& act);
void ACTToCommon(const ACTNoteRecord& act, CommonNote& common);
void CommonToACT(const CommonNote& common, ACTNoteRecord& act);
