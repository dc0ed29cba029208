#include "misc/DispCmd.h"

#include <string>

#include "misc/CxDateTime.h"
#include "misc/CxDebugUtil.h"

namespace {

// The single-precision constant the empty-date test has always used.
constexpr double kNoDateBelow = 1e-5f;

struct ScopedVariant {
  VARIANT v;
  ScopedVariant() { VariantInit(&v); }
  ~ScopedVariant() { VariantClear(&v); }
  ScopedVariant(const ScopedVariant&) = delete;
  ScopedVariant& operator=(const ScopedVariant&) = delete;
};

}  // namespace

CDispCmd::CDispCmd(IDispatch* dispatch) : dispatch_(dispatch) {
  if (dispatch_) dispatch_->AddRef();
}

CDispCmd::~CDispCmd() {
  if (dispatch_) {
    dispatch_->Release();
    dispatch_ = nullptr;
  }
}

HRESULT CDispCmd::Invoke(const OLECHAR* name, WORD flags, DISPPARAMS* params, VARIANT* result) {
  if (!dispatch_ || !name || !*name) return E_INVALIDARG;
  const OLECHAR* names[1] = {name};
  DISPID id = DISPID_UNKNOWN;
  HRESULT hr = dispatch_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_SYSTEM_DEFAULT, &id);
  if (hr == DISP_E_UNKNOWNNAME) {
    // Some servers know their members only under their own language.
    hr = dispatch_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_EN_US, &id);
    if (FAILED(hr)) {
      QM_LOG_ERROR("Failed to call IDispatch->GetIDsOfNames, Name=%s, hr=0x%08x",
                   platform::Utf16ToUtf8(name).c_str(), static_cast<unsigned>(hr));
      return hr;
    }
  } else if (FAILED(hr)) {
    return hr;
  }
  return dispatch_->Invoke(id, IID_NULL, LOCALE_SYSTEM_DEFAULT, flags, params, result, nullptr,
                           nullptr);
}

HRESULT CDispCmd::CallMethod(const OLECHAR* name, VARIANT* args, UINT argCount, VARIANT* result,
                             WORD flags, DISPID* namedArgs, UINT namedCount) {
  DISPPARAMS params{args, namedArgs, argCount, namedCount};
  return Invoke(name, flags, &params, result);
}

HRESULT CDispCmd::GetProperty(const OLECHAR* name, VARIANT* result) {
  DISPPARAMS params{nullptr, nullptr, 0, 0};
  return Invoke(name, DISPATCH_PROPERTYGET, &params, result);
}

HRESULT CDispCmd::PutProperty(const OLECHAR* name, VARIANT* value) {
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params{value, &named, 1, 1};
  return Invoke(name, DISPATCH_PROPERTYPUT, &params, nullptr);
}

HRESULT CDispCmd::GetText(const OLECHAR* name, char* buffer, std::size_t size) {
  if (!buffer || size == 0) return 1;
  ScopedVariant value;
  HRESULT hr = GetProperty(name, &value.v);
  if (FAILED(hr)) return hr;
  if (value.v.vt != VT_BSTR) return 1;
  std::size_t length = 0;
  if (value.v.bstrVal) {
    // Up to the first NUL, as a NUL-ended conversion would; whole characters only.
    const std::u16string_view text(value.v.bstrVal);
    length = platform::Utf16ToUtf8(text, buffer, size - 1);
  }
  buffer[length] = '\0';
  return 0;
}

HRESULT CDispCmd::GetLong(const OLECHAR* name, std::int32_t* out) {
  if (!out) return 1;
  ScopedVariant value;
  HRESULT hr = GetProperty(name, &value.v);
  if (FAILED(hr)) return hr;
  if (value.v.vt != VT_I4) return 1;
  *out = value.v.lVal;
  return 0;
}

HRESULT CDispCmd::GetBool(const OLECHAR* name, std::uint8_t* out) {
  if (!out) return 1;
  ScopedVariant value;
  HRESULT hr = GetProperty(name, &value.v);
  if (FAILED(hr)) return hr;
  if (value.v.vt != VT_BOOL) return 1;
  *out = value.v.boolVal != 0 ? 1 : 0;
  return 0;
}

HRESULT CDispCmd::GetBool(const OLECHAR* name, bool* out) {
  if (!out) return 1;
  std::uint8_t byte = *out ? 1 : 0;
  HRESULT hr = GetBool(name, &byte);
  if (hr == 0) *out = byte != 0;
  return hr;
}

HRESULT CDispCmd::GetDate(const OLECHAR* name, double* out) {
  if (!out) return 1;
  ScopedVariant value;
  HRESULT hr = GetProperty(name, &value.v);
  if (FAILED(hr)) return hr;
  if (value.v.vt != VT_DATE) return 1;
  *out = value.v.date;
  return 0;
}

HRESULT CDispCmd::GetDate(const OLECHAR* name, OleDate* out) {
  if (!out) return 1;
  double date = out->value;
  HRESULT hr = GetDate(name, &date);
  if (hr == 0) *out = OleDate(date);
  return hr;
}

HRESULT CDispCmd::GetObject(const OLECHAR* name, IDispatch** out) {
  if (!out) return 1;
  *out = nullptr;
  ScopedVariant value;
  HRESULT hr = GetProperty(name, &value.v);
  if (FAILED(hr)) return hr;
  if (value.v.vt != VT_DISPATCH) return 1;
  *out = value.v.pdispVal;  // the caller takes over this reference
  value.v.vt = VT_EMPTY;
  return 0;
}

HRESULT CDispCmd::PutText(const OLECHAR* name, const char* text) {
  if (!text || !*text) return 0;
  std::u16string wide(kPutTextUnits, u'\0');
  const std::size_t length =
      platform::Utf8ToUtf16(std::string_view(text), wide.data(), kPutTextUnits - 1);
  wide[length] = u'\0';
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_BSTR;
  value.bstrVal = SysAllocString(wide.c_str());
  HRESULT hr = PutProperty(name, &value);
  SysFreeString(value.bstrVal);
  return hr;
}

HRESULT CDispCmd::PutLong(const OLECHAR* name, std::int32_t number) {
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_I4;
  value.lVal = number;
  return PutProperty(name, &value);
}

HRESULT CDispCmd::PutBool(const OLECHAR* name, std::uint8_t flag) {
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_BOOL;
  value.boolVal = static_cast<VARIANT_BOOL>(flag);
  return PutProperty(name, &value);
}

HRESULT CDispCmd::PutDate(const OLECHAR* name, double date) {
  if (date > -kNoDateBelow && date < kNoDateBelow) return 0;
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_DATE;
  value.date = date;
  return PutProperty(name, &value);
}

int VariantTimeToSystemTime(double variantTime, SYSTEMTIME* systemTime) {
  if (!systemTime) return 0;
  return CxDateTime::OleDateToSystemTime(OleDate(variantTime), *systemTime) ? 1 : 0;
}

int SystemTimeToVariantTime(const SYSTEMTIME* systemTime, double* variantTime) {
  if (!systemTime || !variantTime) return 0;
  OleDate date;
  const bool ok = CxDateTime::SystemTimeToOleDate(*systemTime, date);
  *variantTime = date.value;
  return ok ? 1 : 0;
}
