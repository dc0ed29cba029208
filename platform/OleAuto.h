#pragma once

// Our stand-in for OLE Automation: the interfaces, value kinds and calls of the Windows API under
// their Windows names (global, as the code that calls them expects), over an in-process registry
// of automation servers by ProgID. Text is UTF-16 (char16_t); the "ANSI" code page is UTF-8.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

using HRESULT = std::int32_t;
using SCODE = std::int32_t;
using ULONG = std::uint32_t;
using UINT = unsigned int;
using DWORD = std::uint32_t;
using WORD = std::uint16_t;
using LONG = std::int32_t;
using LCID = std::uint32_t;
using DISPID = std::int32_t;
using MEMBERID = DISPID;
using VARTYPE = std::uint16_t;
using VARIANT_BOOL = std::int16_t;
using DATE = double;
using OLECHAR = char16_t;
using LPOLESTR = OLECHAR*;
using LPCOLESTR = const OLECHAR*;
// Length-prefixed (bytes, 32 bits, before the pointer) and NUL-ended; null stands for "".
using BSTR = OLECHAR*;

constexpr HRESULT MakeHResult(std::uint32_t code) {
  return static_cast<HRESULT>(code);
}
constexpr bool SUCCEEDED(HRESULT hr) {
  return hr >= 0;
}
constexpr bool FAILED(HRESULT hr) {
  return hr < 0;
}

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = MakeHResult(0x80004001);
constexpr HRESULT E_NOINTERFACE = MakeHResult(0x80004002);
constexpr HRESULT E_POINTER = MakeHResult(0x80004003);
constexpr HRESULT E_FAIL = MakeHResult(0x80004005);
constexpr HRESULT E_UNEXPECTED = MakeHResult(0x8000FFFF);
constexpr HRESULT E_OUTOFMEMORY = MakeHResult(0x8007000E);
constexpr HRESULT E_INVALIDARG = MakeHResult(0x80070057);
constexpr HRESULT DISP_E_UNKNOWNINTERFACE = MakeHResult(0x80020001);
constexpr HRESULT DISP_E_MEMBERNOTFOUND = MakeHResult(0x80020003);
constexpr HRESULT DISP_E_PARAMNOTFOUND = MakeHResult(0x80020004);
constexpr HRESULT DISP_E_TYPEMISMATCH = MakeHResult(0x80020005);
constexpr HRESULT DISP_E_UNKNOWNNAME = MakeHResult(0x80020006);
constexpr HRESULT DISP_E_NONAMEDARGS = MakeHResult(0x80020007);
constexpr HRESULT DISP_E_BADVARTYPE = MakeHResult(0x80020008);
constexpr HRESULT DISP_E_EXCEPTION = MakeHResult(0x80020009);
constexpr HRESULT DISP_E_OVERFLOW = MakeHResult(0x8002000A);
constexpr HRESULT DISP_E_BADINDEX = MakeHResult(0x8002000B);
constexpr HRESULT DISP_E_UNKNOWNLCID = MakeHResult(0x8002000C);
constexpr HRESULT DISP_E_BADPARAMCOUNT = MakeHResult(0x8002000E);
constexpr HRESULT CLASS_E_NOAGGREGATION = MakeHResult(0x80040110);
constexpr HRESULT REGDB_E_CLASSNOTREG = MakeHResult(0x80040154);
constexpr HRESULT MK_E_UNAVAILABLE = MakeHResult(0x800401E3);
constexpr HRESULT CO_E_NOTINITIALIZED = MakeHResult(0x800401F0);
constexpr HRESULT CO_E_CLASSSTRING = MakeHResult(0x800401F3);
// What a server that cannot start answers (the stand-in Outlook with an unreadable store).
constexpr HRESULT CO_E_SERVER_EXEC_FAILURE = MakeHResult(0x80080005);

constexpr LCID LOCALE_SYSTEM_DEFAULT = 0x0800;
constexpr LCID LOCALE_USER_DEFAULT = 0x0400;
constexpr LCID LOCALE_EN_US = 0x0409;

constexpr DISPID DISPID_UNKNOWN = -1;
constexpr DISPID DISPID_VALUE = 0;
constexpr DISPID DISPID_PROPERTYPUT = -3;

constexpr WORD DISPATCH_METHOD = 0x1;
constexpr WORD DISPATCH_PROPERTYGET = 0x2;
constexpr WORD DISPATCH_PROPERTYPUT = 0x4;
constexpr WORD DISPATCH_PROPERTYPUTREF = 0x8;

constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
constexpr DWORD CLSCTX_LOCAL_SERVER = 0x4;
constexpr DWORD CLSCTX_REMOTE_SERVER = 0x10;
constexpr DWORD CLSCTX_SERVER = 21;

constexpr UINT CP_ACP = 0;
constexpr UINT CP_UTF8 = 65001;
// The system code page: UTF-8 on this platform.
constexpr UINT GetACP() {
  return CP_UTF8;
}

struct GUID {
  std::uint32_t Data1 = 0;
  std::uint16_t Data2 = 0;
  std::uint16_t Data3 = 0;
  std::uint8_t Data4[8] = {};
  friend bool operator==(const GUID&, const GUID&) = default;
};
using IID = GUID;
using CLSID = GUID;
using REFIID = const IID&;
using REFCLSID = const CLSID&;

inline constexpr IID IID_NULL{};
inline constexpr IID IID_IUnknown{0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IDispatch{0x00020400, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

enum VARENUM : VARTYPE {
  VT_EMPTY = 0,
  VT_NULL = 1,
  VT_I2 = 2,
  VT_I4 = 3,
  VT_R4 = 4,
  VT_R8 = 5,
  VT_DATE = 7,
  VT_BSTR = 8,
  VT_DISPATCH = 9,
  VT_ERROR = 10,
  VT_BOOL = 11,
  VT_VARIANT = 12,
  VT_UNKNOWN = 13,
  VT_BYREF = 0x4000,
};

constexpr VARIANT_BOOL VARIANT_TRUE = -1;
constexpr VARIANT_BOOL VARIANT_FALSE = 0;

struct IDispatch;
struct IUnknown;

struct VARIANT {
  VARTYPE vt;
  WORD wReserved1;
  WORD wReserved2;
  WORD wReserved3;
  union {
    LONG lVal;
    std::int16_t iVal;
    float fltVal;
    double dblVal;
    VARIANT_BOOL boolVal;
    SCODE scode;
    DATE date;
    BSTR bstrVal;
    IUnknown* punkVal;
    IDispatch* pdispVal;
    LONG* plVal;
    VARIANT_BOOL* pboolVal;
    DATE* pdate;
    BSTR* pbstrVal;
    IDispatch** ppdispVal;
    VARIANT* pvarVal;
    void* byref;
  };
};
using VARIANTARG = VARIANT;

struct DISPPARAMS {
  VARIANTARG* rgvarg;  // the last argument first
  DISPID* rgdispidNamedArgs;
  UINT cArgs;
  UINT cNamedArgs;
};

struct EXCEPINFO {
  WORD wCode;
  WORD wReserved;
  BSTR bstrSource;
  BSTR bstrDescription;
  BSTR bstrHelpFile;
  DWORD dwHelpContext;
  void* pvReserved;
  void* pfnDeferredFillIn;
  SCODE scode;
};

// Reference-counted interfaces. The destructor is protected: objects go away through Release.
struct IUnknown {
  virtual HRESULT QueryInterface(REFIID riid, void** object) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  virtual ~IUnknown() = default;
};

struct IDispatch : IUnknown {
  // Resolves names[0] (the member) and, after it, argument names; unknown names get
  // DISPID_UNKNOWN and the call DISP_E_UNKNOWNNAME.
  virtual HRESULT GetIDsOfNames(REFIID riid, const OLECHAR* const* names, UINT count, LCID lcid,
                                DISPID* ids) = 0;
  // `excepInfo` (filled on DISP_E_EXCEPTION) and `argErr` (the failing argument's index on
  // DISP_E_TYPEMISMATCH and DISP_E_PARAMNOTFOUND) may be null.
  virtual HRESULT Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                         VARIANT* result, EXCEPINFO* excepInfo, UINT* argErr) = 0;
};

// BSTR: SysAllocString(null) gives null; SysAllocStringLen(null, n) gives n zeroed characters.
BSTR SysAllocString(const OLECHAR* text);
BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
void SysFreeString(BSTR text);
UINT SysStringLen(BSTR text);
UINT SysStringByteLen(BSTR text);

void VariantInit(VARIANT* v);
// Frees a BSTR, releases an interface (by-reference values are not owned), then VT_EMPTY.
// E_INVALIDARG for a null pointer, DISP_E_BADVARTYPE for a type it does not know.
HRESULT VariantClear(VARIANT* v);
// Clears `dest`, then copies: a BSTR is duplicated, an interface AddRef'ed.
HRESULT VariantCopy(VARIANT* dest, const VARIANT* source);

// COM start and end of a thread. Counted but not required by anything here.
HRESULT CoInitialize(void* reserved);
void CoUninitialize();

// CO_E_CLASSSTRING for a ProgID that no server registered; ProgIDs match without regard to
// ASCII case.
HRESULT CLSIDFromProgID(LPCOLESTR progId, CLSID* clsid);
// REGDB_E_CLASSNOTREG for an unknown class, CLASS_E_NOAGGREGATION with an outer object; the
// server's own failure otherwise.
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid,
                         void** object);
// The server's running instance, or MK_E_UNAVAILABLE.
HRESULT GetActiveObject(REFCLSID clsid, void* reserved, IUnknown** object);
// Every object here runs once made: S_OK for any object, E_INVALIDARG for null.
HRESULT OleRun(IUnknown* object);

// Windows semantics: `inputLength` -1 means NUL-ended (the NUL counted); `outputSize` 0 asks for
// the size needed. Invalid input becomes U+FFFD. When the output is too small, the whole
// characters that fit are written (never a part of one, never past the buffer) and the result
// is 0, as Windows fails. Code pages: CP_ACP and CP_UTF8; others give 0.
int MultiByteToWideChar(UINT codePage, DWORD flags, const char* input, int inputLength,
                        OLECHAR* output, int outputSize);
int WideCharToMultiByte(UINT codePage, DWORD flags, const OLECHAR* input, int inputLength,
                        char* output, int outputSize, const char* defaultChar,
                        bool* usedDefaultChar);

namespace platform {

// Converts whole characters until the input ends or the next one would not fit `capacity`
// elements; returns the elements written (no terminator is written). Invalid input becomes
// U+FFFD.
std::size_t Utf8ToUtf16(std::string_view input, char16_t* output, std::size_t capacity);
std::size_t Utf16ToUtf8(std::u16string_view input, char* output, std::size_t capacity);
std::u16string Utf8ToUtf16(std::string_view input);
std::string Utf16ToUtf8(std::u16string_view input);

// An automation server as the registry knows it.
struct AutomationServer {
  CLSID clsid;
  // Makes the object (or hands out the one instance) and answers QueryInterface(riid).
  std::function<HRESULT(REFIID riid, void** object)> create;
  // The running instance (AddRef'ed) or MK_E_UNAVAILABLE; empty when the server has none.
  std::function<HRESULT(IUnknown** object)> active;
};

// Registers (or replaces) the server of a ProgID; tests register doubles this way. The stand-in
// "Outlook.Application" is registered before the first look-up.
void RegisterAutomationServer(std::u16string_view progId, AutomationServer server);
// False when no server had that ProgID.
bool RevokeAutomationServer(std::u16string_view progId);
// Back to the registry's first state (only the stand-in Outlook).
void ResetAutomationServers();

// BSTRs allocated and not yet freed, for tests that check ownership.
long LiveBstrCount();

}  // namespace platform
