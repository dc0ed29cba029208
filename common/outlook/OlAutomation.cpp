#include "outlook/OlAutomation.h"

#include <string>
#include <vector>

#include "outlook/OlItemRef.h"

namespace {

// Member names are short ASCII; their wide form is made on the stack for each call.
class WideName {
 public:
  explicit WideName(const char* name) {
    std::size_t i = 0;
    if (name)
      for (; name[i] && i + 1 < kMax; ++i) text_[i] = static_cast<char16_t>(name[i]);
    text_[i] = u'\0';
  }
  const OLECHAR* get() const { return text_; }

 private:
  static constexpr std::size_t kMax = 64;
  OLECHAR text_[kMax];
};

std::unique_ptr<CDispCmd> Adopt(IDispatch* object) {
  if (!object) return nullptr;
  auto cmd = std::make_unique<CDispCmd>(object);
  object->Release();  // the dispatcher holds its own reference
  return cmd;
}

}  // namespace

OlResult OlGetText(CDispCmd& d, const char* name, TextFieldRef field) {
  // One buffer per thread, as wide as the widest field read.
  thread_local std::vector<char> buffer;
  if (buffer.size() < field.width) buffer.resize(field.width);
  buffer[0] = '\0';
  const OlResult hr = d.GetText(WideName(name).get(), buffer.data(), field.width);
  if (hr == 0) field.Assign(std::string_view(buffer.data()));
  return hr;
}

OlResult OlGetDate(CDispCmd& d, const char* name, OleDate& out) {
  return d.GetDate(WideName(name).get(), &out);
}

OlResult OlGetLong(CDispCmd& d, const char* name, std::int32_t& out) {
  return d.GetLong(WideName(name).get(), &out);
}

OlResult OlGetBool(CDispCmd& d, const char* name, std::uint8_t& out) {
  return d.GetBool(WideName(name).get(), &out);
}

std::unique_ptr<CDispCmd> OlGetObject(CDispCmd& d, const char* name, OlResult* hr) {
  IDispatch* object = nullptr;
  const OlResult result = d.GetObject(WideName(name).get(), &object);
  if (hr) *hr = result;
  if (result != 0) {
    if (object) object->Release();
    return nullptr;
  }
  return Adopt(object);
}

std::unique_ptr<CDispCmd> OlCallObject(CDispCmd& d, const char* name,
                                       std::initializer_list<OlArg> args, OlResult* hr) {
  const std::size_t n = args.size();
  std::vector<VARIANT> values(n);
  std::vector<VARIANT> referenced(n);
  std::size_t i = n;  // IDispatch order: the last argument first
  for (const OlArg& a : args) {
    VARIANT& v = values[--i];
    VariantInit(&v);
    switch (a.kind) {
      case OlArg::Kind::kLong:
        v.vt = VT_I4;
        v.lVal = a.number;
        break;
      case OlArg::Kind::kLongByRef:
        VariantInit(&referenced[i]);
        referenced[i].vt = VT_I4;
        referenced[i].lVal = a.number;
        v.vt = VT_BYREF | VT_VARIANT;
        v.pvarVal = &referenced[i];
        break;
      case OlArg::Kind::kBool:
        v.vt = VT_BOOL;
        v.boolVal = a.number ? VARIANT_TRUE : VARIANT_FALSE;
        break;
      case OlArg::Kind::kText:
        v.vt = VT_BSTR;
        v.bstrVal = SysAllocString(platform::Utf8ToUtf16(a.text).c_str());
        break;
    }
  }
  VARIANT result;
  VariantInit(&result);
  OlResult r = d.CallMethod(WideName(name).get(), n ? values.data() : nullptr, static_cast<UINT>(n),
                            &result);
  for (VARIANT& v : values)
    if (v.vt == VT_BSTR) VariantClear(&v);
  std::unique_ptr<CDispCmd> object;
  if (r >= 0 && result.vt == VT_DISPATCH && result.pdispVal)
    object = std::make_unique<CDispCmd>(result.pdispVal);
  VariantClear(&result);
  if (hr) *hr = r;
  return object;
}

OlResult OlCall(CDispCmd& d, const char* name) {
  VARIANT result;
  VariantInit(&result);
  const OlResult r = d.CallMethod(WideName(name).get(), nullptr, 0, &result);
  VariantClear(&result);
  return r;
}

OlResult OlPutText(CDispCmd& d, const char* name, std::string_view text) {
  if (text.empty()) return 0;
  return d.PutText(WideName(name).get(), std::string(text).c_str());
}

OlResult OlPutDate(CDispCmd& d, const char* name, OleDate date) {
  return d.PutDate(WideName(name).get(), date);
}

OlResult OlPutLong(CDispCmd& d, const char* name, std::int32_t value) {
  return d.PutLong(WideName(name).get(), value);
}

OlResult OlPutBool(CDispCmd& d, const char* name, bool value) {
  return d.PutBool(WideName(name).get(), value ? 1 : 0);
}

IDispatch* OlDispatchOf(CDispCmd& d) {
  return d.Dispatch();
}

OlResult OlClsidFromProgId(const char* progId, CLSID& out) {
  return CLSIDFromProgID(platform::Utf8ToUtf16(progId ? progId : "").c_str(), &out);
}

OlResult OlCreateInstance(const CLSID& clsid, IUnknown*& out) {
  out = nullptr;
  void* object = nullptr;
  const OlResult hr = CoCreateInstance(clsid, nullptr, CLSCTX_SERVER, IID_IUnknown, &object);
  if (hr >= 0) out = static_cast<IUnknown*>(object);
  return hr;
}

OlResult OlRun(IUnknown* object) {
  return OleRun(object);
}

OlResult OlQueryDispatch(IUnknown* object, IDispatch*& out) {
  out = nullptr;
  if (!object) return E_INVALIDARG;
  void* dispatch = nullptr;
  const OlResult hr = object->QueryInterface(IID_IDispatch, &dispatch);
  if (hr >= 0) out = static_cast<IDispatch*>(dispatch);
  return hr;
}

OlItemRef::OlItemRef(IDispatch* item) : item_(item) {
  if (item_) item_->AddRef();
}
OlItemRef::OlItemRef(const OlItemRef& other) : item_(other.item_) {
  if (item_) item_->AddRef();
}
OlItemRef& OlItemRef::operator=(const OlItemRef& other) {
  if (this != &other) {
    if (other.item_) other.item_->AddRef();
    if (item_) item_->Release();
    item_ = other.item_;
  }
  return *this;
}
OlItemRef& OlItemRef::operator=(OlItemRef&& other) noexcept {
  if (this != &other) {
    if (item_) item_->Release();
    item_ = other.item_;
    other.item_ = nullptr;
  }
  return *this;
}
OlItemRef::~OlItemRef() {
  if (item_) item_->Release();
}
