#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "misc/CommonContact.h"
#include "misc/CommonEvent.h"
#include "misc/CommonNote.h"
#include "misc/CommonTask.h"

// The JSON form of the common records: one key per field, named as the field; missing keys are
// the zero value, unknown keys are an error. docs/record-json.md describes it.
nlohmann::ordered_json ToJson(const CommonContact& r);
nlohmann::ordered_json ToJson(const CommonEvent& r);
nlohmann::ordered_json ToJson(const CommonTask& r);
nlohmann::ordered_json ToJson(const CommonNote& r);

// False with a reason when the value does not describe a record; the record is then unspecified.
bool FromJson(const nlohmann::json& j, CommonContact& r, std::string& error);
bool FromJson(const nlohmann::json& j, CommonEvent& r, std::string& error);
bool FromJson(const nlohmann::json& j, CommonTask& r, std::string& error);
bool FromJson(const nlohmann::json& j, CommonNote& r, std::string& error);
