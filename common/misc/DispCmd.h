#pragma once

#include <cstddef>
#include <cstdint>

#include "misc/WinTypes.h"
#include "platform/OleAuto.h"

// Calls on one automation object by member name, converting between the program's UTF-8 texts,
// integers, booleans and dates and VARIANTs. Holds one reference of its own to the object.
//
// Results: a negative value is the failing HRESULT (E_INVALIDARG without an object or name),
// 0 success, and a getter returns 1 when the call succeeded but the value had another type: its
// output is then left as it was (GetObject sets it to null first).
class CDispCmd {
 public:
  explicit CDispCmd(IDispatch* dispatch = nullptr);
  ~CDispCmd();
  CDispCmd(const CDispCmd&) = delete;
  CDispCmd& operator=(const CDispCmd&) = delete;

  // Resolves the name (a second time under 0x0409 when the system locale does not know it;
  // failing both is logged) and invokes it. Member ids are not cached.
  HRESULT Invoke(const OLECHAR* name, WORD flags, DISPPARAMS* params, VARIANT* result);
  // `args` in IDispatch order: the last argument first.
  HRESULT CallMethod(const OLECHAR* name, VARIANT* args, UINT argCount, VARIANT* result,
                     WORD flags = DISPATCH_METHOD, DISPID* namedArgs = nullptr,
                     UINT namedCount = 0);
  HRESULT GetProperty(const OLECHAR* name, VARIANT* result);
  HRESULT PutProperty(const OLECHAR* name, VARIANT* value);

  // Cuts at size − 1 bytes on a whole UTF-8 character and always ends with NUL; a null BSTR
  // reads as "". A null buffer or a zero size returns 1.
  HRESULT GetText(const OLECHAR* name, char* buffer, std::size_t size);
  HRESULT GetLong(const OLECHAR* name, std::int32_t* value);
  // Stores 1 for any non-zero VARIANT_BOOL, else 0.
  HRESULT GetBool(const OLECHAR* name, std::uint8_t* value);
  HRESULT GetBool(const OLECHAR* name, bool* value);
  HRESULT GetDate(const OLECHAR* name, double* value);
  HRESULT GetDate(const OLECHAR* name, OleDate* value);
  // The caller owns the reference returned and releases it. A null `object` returns 1.
  HRESULT GetObject(const OLECHAR* name, IDispatch** object);

  // A null or empty text is not sent (the property keeps its value) and gives 0. Longer texts
  // are cut to 20,479 UTF-16 units on a whole character.
  HRESULT PutText(const OLECHAR* name, const char* text);
  HRESULT PutLong(const OLECHAR* name, std::int32_t value);
  // Sends the byte widened to 16 bits: true travels as 1.
  HRESULT PutBool(const OLECHAR* name, std::uint8_t value);
  // A value within ±1e-5 stands for no date: nothing is sent and the result is 0.
  HRESULT PutDate(const OLECHAR* name, double value);
  HRESULT PutDate(const OLECHAR* name, OleDate value) { return PutDate(name, value.value); }

  // The object, without touching its reference count.
  IDispatch* Dispatch() const { return dispatch_; }

  static constexpr std::size_t kPutTextUnits = 0x5000;  // buffer of PutText, its NUL included

 private:
  IDispatch* dispatch_ = nullptr;
};

// VariantTimeToSystemTime / SystemTimeToVariantTime: whole seconds (rounded to the nearest),
// years 100 to 9999, milliseconds ignored; 1 on success, 0 on failure (the output then zero).
int VariantTimeToSystemTime(double variantTime, SYSTEMTIME* systemTime);
int SystemTimeToVariantTime(const SYSTEMTIME* systemTime, double* variantTime);
