#include "platform/OleAuto.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <map>
#include <mutex>
#include <optional>
#include <utility>

#include "platform/Utf8Append.h"
#include "platform/outlook/OutlookStandIn.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr std::size_t kBstrPrefix = sizeof(std::uint32_t);

std::atomic<long> g_liveBstrs{0};

bool IsContinuation(unsigned char b, unsigned char low = 0x80, unsigned char high = 0xBF) {
  return b >= low && b <= high;
}

// Decodes one character at `pos`; malformed input gives U+FFFD for its longest valid-looking
// prefix (at least one byte), as Unicode recommends and Windows does.
char32_t DecodeUtf8(std::string_view s, std::size_t& pos) {
  const auto b0 = static_cast<unsigned char>(s[pos++]);
  if (b0 < 0x80) return b0;
  int need = 0;
  char32_t cp = 0;
  unsigned char low = 0x80, high = 0xBF;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    need = 1;
    cp = b0 & 0x1Fu;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    need = 2;
    cp = b0 & 0x0Fu;
    if (b0 == 0xE0) low = 0xA0;
    if (b0 == 0xED) high = 0x9F;  // no surrogates
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    need = 3;
    cp = b0 & 0x07u;
    if (b0 == 0xF0) low = 0x90;
    if (b0 == 0xF4) high = 0x8F;  // nothing past U+10FFFF
  } else {
    return kReplacement;
  }
  for (int i = 0; i < need; ++i) {
    if (pos >= s.size()) return kReplacement;
    const auto b = static_cast<unsigned char>(s[pos]);
    if (i == 0 ? !IsContinuation(b, low, high) : !IsContinuation(b)) return kReplacement;
    cp = (cp << 6) | (b & 0x3Fu);
    ++pos;
  }
  return cp;
}

char32_t DecodeUtf16(std::u16string_view s, std::size_t& pos) {
  const char16_t u = s[pos++];
  if (u < 0xD800 || u > 0xDFFF) return u;
  if (u <= 0xDBFF && pos < s.size() && s[pos] >= 0xDC00 && s[pos] <= 0xDFFF) {
    const char16_t low = s[pos++];
    return 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (low - 0xDC00u);
  }
  return kReplacement;
}

struct Converted {
  std::size_t written = 0;
  bool complete = true;  // the whole input fitted
};

Converted ToUtf16(std::string_view in, char16_t* out, std::size_t capacity) {
  Converted r;
  std::size_t pos = 0;
  while (pos < in.size()) {
    std::size_t next = pos;
    const char32_t cp = DecodeUtf8(in, next);
    const std::size_t units = cp > 0xFFFF ? 2 : 1;
    if (capacity - r.written < units) {
      r.complete = false;
      break;
    }
    if (out) {
      if (units == 2) {
        out[r.written] = static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
        out[r.written + 1] = static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
      } else {
        out[r.written] = static_cast<char16_t>(cp);
      }
    }
    r.written += units;
    pos = next;
  }
  return r;
}

Converted ToUtf8(std::u16string_view in, char* out, std::size_t capacity) {
  Converted r;
  std::size_t pos = 0;
  std::string one;
  while (pos < in.size()) {
    std::size_t next = pos;
    one.clear();
    platform::AppendUtf8(one, DecodeUtf16(in, next));
    if (capacity - r.written < one.size()) {
      r.complete = false;
      break;
    }
    if (out) std::memcpy(out + r.written, one.data(), one.size());
    r.written += one.size();
    pos = next;
  }
  return r;
}

bool KnownCodePage(UINT codePage) {
  return codePage == CP_ACP || codePage == CP_UTF8;
}

// ProgIDs match without regard to ASCII case.
std::u16string FoldProgId(std::u16string_view s) {
  std::u16string out(s);
  for (auto& c : out) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  }
  return out;
}

struct ServerRegistry {
  std::mutex lock;
  std::map<std::u16string, platform::AutomationServer> servers;

  ServerRegistry() { Seed(); }
  void Seed() {
    servers.clear();
    servers.emplace(FoldProgId(platform::outlook::kProgId), platform::outlook::ServerEntry());
  }
  std::optional<platform::AutomationServer> ByClsid(REFCLSID clsid) {
    std::lock_guard<std::mutex> guard(lock);
    for (const auto& [name, server] : servers) {
      if (server.clsid == clsid) return server;
    }
    return std::nullopt;
  }
};

ServerRegistry& Registry() {
  static ServerRegistry registry;
  return registry;
}

thread_local int t_comInitCount = 0;

}  // namespace

BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
  constexpr std::size_t kMaxLength = (std::numeric_limits<std::uint32_t>::max() - 8) / 2;
  if (length > kMaxLength) return nullptr;
  const std::size_t bytes = kBstrPrefix + (std::size_t{length} + 1) * sizeof(OLECHAR);
  auto* base = static_cast<unsigned char*>(std::malloc(bytes));
  if (!base) return nullptr;
  const auto byteLength = static_cast<std::uint32_t>(length * sizeof(OLECHAR));
  std::memcpy(base, &byteLength, sizeof byteLength);
  auto* chars = reinterpret_cast<OLECHAR*>(base + kBstrPrefix);
  if (text) {
    std::memcpy(chars, text, std::size_t{length} * sizeof(OLECHAR));
  } else {
    std::memset(chars, 0, std::size_t{length} * sizeof(OLECHAR));
  }
  chars[length] = 0;
  ++g_liveBstrs;
  return chars;
}

BSTR SysAllocString(const OLECHAR* text) {
  if (!text) return nullptr;
  return SysAllocStringLen(text, static_cast<UINT>(std::char_traits<OLECHAR>::length(text)));
}

void SysFreeString(BSTR text) {
  if (!text) return;
  --g_liveBstrs;
  std::free(reinterpret_cast<unsigned char*>(text) - kBstrPrefix);
}

UINT SysStringByteLen(BSTR text) {
  if (!text) return 0;
  std::uint32_t byteLength = 0;
  std::memcpy(&byteLength, reinterpret_cast<unsigned char*>(text) - kBstrPrefix, sizeof byteLength);
  return byteLength;
}

UINT SysStringLen(BSTR text) {
  return SysStringByteLen(text) / sizeof(OLECHAR);
}

void VariantInit(VARIANT* v) {
  if (!v) return;
  v->vt = VT_EMPTY;
  v->wReserved1 = v->wReserved2 = v->wReserved3 = 0;
  v->dblVal = 0;
}

HRESULT VariantClear(VARIANT* v) {
  if (!v) return E_INVALIDARG;
  if (!(v->vt & VT_BYREF)) {
    switch (v->vt) {
      case VT_BSTR:
        SysFreeString(v->bstrVal);
        break;
      case VT_DISPATCH:
      case VT_UNKNOWN:
        if (v->punkVal) v->punkVal->Release();
        break;
      case VT_EMPTY:
      case VT_NULL:
      case VT_I2:
      case VT_I4:
      case VT_R4:
      case VT_R8:
      case VT_DATE:
      case VT_ERROR:
      case VT_BOOL:
        break;
      default:
        return DISP_E_BADVARTYPE;
    }
  }
  VariantInit(v);
  return S_OK;
}

HRESULT VariantCopy(VARIANT* dest, const VARIANT* source) {
  if (!dest || !source) return E_INVALIDARG;
  if (dest == source) return S_OK;
  VARIANT copy = *source;
  if (!(copy.vt & VT_BYREF)) {
    if (copy.vt == VT_BSTR && copy.bstrVal) {
      copy.bstrVal = SysAllocStringLen(source->bstrVal, SysStringLen(source->bstrVal));
      if (!copy.bstrVal) return E_OUTOFMEMORY;
    } else if ((copy.vt == VT_DISPATCH || copy.vt == VT_UNKNOWN) && copy.punkVal) {
      copy.punkVal->AddRef();
    }
  }
  HRESULT hr = VariantClear(dest);
  if (FAILED(hr)) {
    VariantClear(&copy);
    return hr;
  }
  *dest = copy;
  return S_OK;
}

HRESULT CoInitialize(void*) {
  return t_comInitCount++ == 0 ? S_OK : S_FALSE;
}

void CoUninitialize() {
  if (t_comInitCount > 0) --t_comInitCount;
}

HRESULT CLSIDFromProgID(LPCOLESTR progId, CLSID* clsid) {
  if (!progId || !clsid) return E_INVALIDARG;
  auto& reg = Registry();
  std::lock_guard<std::mutex> guard(reg.lock);
  auto it = reg.servers.find(FoldProgId(progId));
  if (it == reg.servers.end()) return CO_E_CLASSSTRING;
  *clsid = it->second.clsid;
  return S_OK;
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD, REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  auto server = Registry().ByClsid(clsid);
  if (!server || !server->create) return REGDB_E_CLASSNOTREG;
  return server->create(riid, object);
}

HRESULT GetActiveObject(REFCLSID clsid, void*, IUnknown** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  auto server = Registry().ByClsid(clsid);
  if (!server) return REGDB_E_CLASSNOTREG;
  if (!server->active) return MK_E_UNAVAILABLE;
  return server->active(object);
}

HRESULT OleRun(IUnknown* object) {
  return object ? S_OK : E_INVALIDARG;
}

int MultiByteToWideChar(UINT codePage, DWORD, const char* input, int inputLength, OLECHAR* output,
                        int outputSize) {
  if (!KnownCodePage(codePage) || !input || inputLength == 0 || inputLength < -1 ||
      outputSize < 0 || (outputSize > 0 && !output))
    return 0;
  const std::size_t length =
      inputLength == -1 ? std::strlen(input) + 1 : static_cast<std::size_t>(inputLength);
  const std::string_view in(input, length);
  if (outputSize == 0) {
    auto r = ToUtf16(in, nullptr, std::numeric_limits<std::size_t>::max());
    return r.written > static_cast<std::size_t>(std::numeric_limits<int>::max())
               ? 0
               : static_cast<int>(r.written);
  }
  auto r = ToUtf16(in, output, static_cast<std::size_t>(outputSize));
  return r.complete ? static_cast<int>(r.written) : 0;
}

int WideCharToMultiByte(UINT codePage, DWORD, const OLECHAR* input, int inputLength, char* output,
                        int outputSize, const char* defaultChar, bool* usedDefaultChar) {
  // UTF-8 has no default character: Windows refuses one.
  if (!KnownCodePage(codePage) || !input || inputLength == 0 || inputLength < -1 ||
      outputSize < 0 || (outputSize > 0 && !output) || defaultChar || usedDefaultChar)
    return 0;
  const std::size_t length = inputLength == -1 ? std::char_traits<OLECHAR>::length(input) + 1
                                               : static_cast<std::size_t>(inputLength);
  const std::u16string_view in(input, length);
  if (outputSize == 0) {
    auto r = ToUtf8(in, nullptr, std::numeric_limits<std::size_t>::max());
    return r.written > static_cast<std::size_t>(std::numeric_limits<int>::max())
               ? 0
               : static_cast<int>(r.written);
  }
  auto r = ToUtf8(in, output, static_cast<std::size_t>(outputSize));
  return r.complete ? static_cast<int>(r.written) : 0;
}

namespace platform {

std::size_t Utf8ToUtf16(std::string_view input, char16_t* output, std::size_t capacity) {
  return output ? ToUtf16(input, output, capacity).written : 0;
}

std::size_t Utf16ToUtf8(std::u16string_view input, char* output, std::size_t capacity) {
  return output ? ToUtf8(input, output, capacity).written : 0;
}

std::u16string Utf8ToUtf16(std::string_view input) {
  std::u16string out(input.size(), u'\0');  // never more units than bytes
  out.resize(ToUtf16(input, out.data(), out.size()).written);
  return out;
}

std::string Utf16ToUtf8(std::u16string_view input) {
  std::string out(input.size() * 3, '\0');  // at most 3 bytes per unit
  out.resize(ToUtf8(input, out.data(), out.size()).written);
  return out;
}

void RegisterAutomationServer(std::u16string_view progId, AutomationServer server) {
  auto& reg = Registry();
  std::lock_guard<std::mutex> guard(reg.lock);
  reg.servers[FoldProgId(progId)] = std::move(server);
}

bool RevokeAutomationServer(std::u16string_view progId) {
  auto& reg = Registry();
  std::lock_guard<std::mutex> guard(reg.lock);
  return reg.servers.erase(FoldProgId(progId)) > 0;
}

void ResetAutomationServers() {
  auto& reg = Registry();
  std::lock_guard<std::mutex> guard(reg.lock);
  reg.Seed();
}

long LiveBstrCount() {
  return g_liveBstrs.load();
}

}  // namespace platform
