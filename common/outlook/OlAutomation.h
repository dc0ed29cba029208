#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string_view>

#include "misc/DispCmd.h"
#include "misc/FixedText.h"
#include "misc/WinTypes.h"
#include "platform/OleAuto.h"

// The connectors' calls into Outlook, each one CDispCmd call: members are named in ASCII here
// and passed on as the wide names automation takes; results are CDispCmd's (negative: the
// failing HRESULT, 0 success, 1 a value of another type, the output left as it was).
using OlResult = HRESULT;

inline bool OlFailed(OlResult hr) {
  return hr < 0;
}

// Reads a text property into a field, cut to its width - 1 bytes on a whole character.
OlResult OlGetText(CDispCmd& d, const char* name, TextFieldRef field);
OlResult OlGetDate(CDispCmd& d, const char* name, OleDate& out);
OlResult OlGetLong(CDispCmd& d, const char* name, std::int32_t& out);
OlResult OlGetBool(CDispCmd& d, const char* name, std::uint8_t& out);
// An object property; null (the code in `hr`) when the call failed or gave no object.
std::unique_ptr<CDispCmd> OlGetObject(CDispCmd& d, const char* name, OlResult* hr);

// One argument of a method call.
struct OlArg {
  enum class Kind { kLong, kLongByRef, kBool, kText };
  Kind kind = Kind::kLong;
  std::int32_t number = 0;
  std::string_view text;

  static OlArg Long(std::int32_t v) { return {Kind::kLong, v, {}}; }
  // A VT_BYREF | VT_VARIANT pointing at a VT_I4, as collections' Item takes its index.
  static OlArg LongByRef(std::int32_t v) { return {Kind::kLongByRef, v, {}}; }
  static OlArg Bool(bool v) { return {Kind::kBool, v ? 1 : 0, {}}; }
  static OlArg Text(std::string_view v) { return {Kind::kText, 0, v}; }
};

// Calls a method (arguments in their natural order) that answers an object; null (the code in
// `hr`) when it failed or answered anything else.
std::unique_ptr<CDispCmd> OlCallObject(CDispCmd& d, const char* name,
                                       std::initializer_list<OlArg> args, OlResult* hr);
// Calls a method without arguments whose answer does not matter ("Save").
OlResult OlCall(CDispCmd& d, const char* name);

// Empty texts and dates within 1e-5 of 0 are not sent (0 is returned): a write never blanks.
OlResult OlPutText(CDispCmd& d, const char* name, std::string_view text);
OlResult OlPutDate(CDispCmd& d, const char* name, OleDate date);
OlResult OlPutLong(CDispCmd& d, const char* name, std::int32_t value);
OlResult OlPutBool(CDispCmd& d, const char* name, bool value);

IDispatch* OlDispatchOf(CDispCmd& d);

// Starting an automation server by ProgID.
OlResult OlClsidFromProgId(const char* progId, CLSID& out);
// CoCreateInstance for IUnknown in the server contexts; the caller owns the reference.
OlResult OlCreateInstance(const CLSID& clsid, IUnknown*& out);
OlResult OlRun(IUnknown* object);
// The caller owns the reference.
OlResult OlQueryDispatch(IUnknown* object, IDispatch*& out);
