#include "platform/outlook/OlObjects.h"

#include <atomic>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

namespace platform::outlook {
namespace {

std::atomic<long> g_liveObjects{0};
std::mutex g_appLock;
class DispatchBase;
DispatchBase* g_app = nullptr;  // not owned: the live application clears it as it goes
std::shared_ptr<Store> g_appStore;

// DISPIDs: the member id in the low 20 bits; a test control's index + 1 above it.
constexpr DISPID kMemberMask = 0xFFFFF;
constexpr int kControlShift = 20;
constexpr DISPID kControlMask = 0x3FF;
// Item and pattern properties: schema slots and names outside the schema.
constexpr DISPID kSlotBase = 1000;
constexpr DISPID kExtraBase = 100000;

// One Invoke, with its arguments.
struct Call {
  WORD flags;
  DISPPARAMS* params;
  VARIANT* result;
  EXCEPINFO* excep;
  UINT* argErr;
  std::optional<ValueKind> serveAs;

  bool Put() const { return (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0; }
  bool Get() const { return (flags & DISPATCH_PROPERTYGET) != 0; }
  bool Method() const { return (flags & DISPATCH_METHOD) != 0; }
  UINT Positional() const { return params->cArgs - params->cNamedArgs; }

  // The i-th positional argument (0 = first), through a by-reference variant; null when
  // missing or left out (VT_ERROR DISP_E_PARAMNOTFOUND).
  const VARIANT* Arg(UINT i) const {
    if (i >= Positional()) return nullptr;
    const VARIANT* v = &params->rgvarg[params->cArgs - 1 - i];
    if (v->vt == (VT_BYREF | VT_VARIANT)) v = v->pvarVal;
    if (!v || (v->vt == VT_ERROR && v->scode == DISP_E_PARAMNOTFOUND)) return nullptr;
    return v;
  }
  const VARIANT* PutValue() const {
    const VARIANT* v = &params->rgvarg[0];
    if (v->vt == (VT_BYREF | VT_VARIANT) && v->pvarVal) v = v->pvarVal;
    return v;
  }

  HRESULT Mismatch(UINT i) const {
    if (argErr) *argErr = params->cArgs - 1 - i;
    return DISP_E_TYPEMISMATCH;
  }
  HRESULT ArgLong(UINT i, LONG& out) const {
    const VARIANT* v = Arg(i);
    if (!v) return DISP_E_PARAMNOTFOUND;
    switch (v->vt) {
      case VT_I4:
        out = v->lVal;
        return S_OK;
      case VT_I2:
        out = v->iVal;
        return S_OK;
      case VT_BYREF | VT_I4:
        if (!v->plVal) return Mismatch(i);
        out = *v->plVal;
        return S_OK;
      default:
        return Mismatch(i);
    }
  }
  HRESULT ArgText(UINT i, std::u16string& out) const {
    const VARIANT* v = Arg(i);
    if (!v) return DISP_E_PARAMNOTFOUND;
    BSTR s = nullptr;
    if (v->vt == VT_BSTR) {
      s = v->bstrVal;
    } else if (v->vt == (VT_BYREF | VT_BSTR) && v->pbstrVal) {
      s = *v->pbstrVal;
    } else {
      return Mismatch(i);
    }
    out.assign(s ? std::u16string_view(s, SysStringLen(s)) : std::u16string_view());
    return S_OK;
  }

  HRESULT Exception(const std::string& text) const {
    if (excep) {
      *excep = EXCEPINFO{};
      excep->bstrSource = SysAllocString(u"Outlook");
      const std::u16string wide = Utf8ToUtf16(text);
      excep->bstrDescription = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
      excep->scode = E_FAIL;
    }
    return DISP_E_EXCEPTION;
  }

  HRESULT ReturnObject(IDispatch* object) const {
    if (!result) {
      if (object) object->Release();
      return S_OK;
    }
    VariantInit(result);
    result->vt = VT_DISPATCH;
    result->pdispVal = object;
    return S_OK;
  }
  HRESULT ReturnValue(const Value& value, ValueKind declared) const {
    if (!result) return S_OK;
    if (serveAs) {
      ValueToVariant(ConvertValue(value, *serveAs), *serveAs, result);
    } else {
      ValueToVariant(value, declared, result);
    }
    return S_OK;
  }
  HRESULT ReturnText(const std::string& text) const {
    return ReturnValue(Value::Text(text), ValueKind::kText);
  }
  HRESULT ReturnLong(LONG n) const { return ReturnValue(Value::Int(n), ValueKind::kInt); }
  HRESULT ReturnBool(bool b) const { return ReturnValue(Value::Bool(b), ValueKind::kBool); }
};

// A property that is read only: no arguments.
HRESULT CheckGetter(const Call& c) {
  if (c.Put() || !c.Get()) return DISP_E_MEMBERNOTFOUND;
  return c.Positional() == 0 ? S_OK : DISP_E_BADPARAMCOUNT;
}

HRESULT CheckMethod(const Call& c, UINT minArgs, UINT maxArgs) {
  if (!c.Method() || c.Put()) return DISP_E_MEMBERNOTFOUND;
  return c.Positional() >= minArgs && c.Positional() <= maxArgs ? S_OK : DISP_E_BADPARAMCOUNT;
}

NameIndex MakeIndex(std::initializer_list<std::pair<const char*, int>> members) {
  NameIndex index;
  for (const auto& [name, id] : members) index.Add(name, id);
  return index;
}

class DispatchBase : public IDispatch {
 public:
  explicit DispatchBase(std::shared_ptr<Store> store) : store_(std::move(store)) {
    ++g_liveObjects;
  }
  DispatchBase(const DispatchBase&) = delete;
  DispatchBase& operator=(const DispatchBase&) = delete;

  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch) {
      *object = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++refs_; }
  // AddRef unless the last reference is already gone (the object is on its way out).
  bool AddRefIfAlive() {
    ULONG n = refs_.load();
    while (n != 0) {
      if (refs_.compare_exchange_weak(n, n + 1)) return true;
    }
    return false;
  }
  ULONG Release() override {
    const ULONG n = --refs_;
    if (n == 0) delete this;
    return n;
  }

  HRESULT GetIDsOfNames(REFIID riid, const OLECHAR* const* names, UINT count, LCID lcid,
                        DISPID* ids) override {
    if (!(riid == IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    if (!names || !ids || count == 0) return E_INVALIDARG;
    // Named arguments are not supported: every name after the member is unknown.
    for (UINT i = 1; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    ids[0] = DISPID_UNKNOWN;
    if (!names[0]) return DISP_E_UNKNOWNNAME;
    const std::u16string_view name(names[0]);
    int control = -1;
    if (!store_->controls.Empty()) {
      control = store_->controls.index.Find(name);
      if (control >= 0) {
        const auto& e = store_->controls.entries[static_cast<std::size_t>(control)];
        if (e.unknown || (e.englishOnly && lcid != LOCALE_EN_US)) return DISP_E_UNKNOWNNAME;
        if ((!e.fail && !e.serveAs) || control + 1 > kControlMask) control = -1;
      }
    }
    const DISPID id = Lookup(name);
    if (id < 0) return DISP_E_UNKNOWNNAME;
    ids[0] = control >= 0 ? id | ((control + 1) << kControlShift) : id;
    return count > 1 ? DISP_E_UNKNOWNNAME : S_OK;
  }

  HRESULT Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                 EXCEPINFO* excep, UINT* argErr) override {
    if (!(riid == IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    if (!params || (params->cArgs > 0 && !params->rgvarg) || params->cNamedArgs > params->cArgs ||
        (params->cNamedArgs > 0 && !params->rgdispidNamedArgs))
      return E_INVALIDARG;
    Call call{flags, params, result, excep, argErr, std::nullopt};
    if (id > 0) {
      const int control = (id >> kControlShift) & kControlMask;
      id &= kMemberMask;
      if (control > 0 && static_cast<std::size_t>(control) <= store_->controls.entries.size()) {
        auto& e = store_->controls.entries[static_cast<std::size_t>(control - 1)];
        if (e.fail && e.calls++ >= e.fail->after) return e.fail->hr;
        call.serveAs = e.serveAs;
      }
    }
    if (call.Put()) {
      if (params->cArgs == 0) return DISP_E_BADPARAMCOUNT;
      if (params->cNamedArgs != 1 || params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)
        return DISP_E_PARAMNOTFOUND;
    } else if (params->cNamedArgs != 0) {
      return DISP_E_NONAMEDARGS;
    }
    if (result && !call.Put()) VariantInit(result);
    return Dispatch(id, call);
  }

 protected:
  ~DispatchBase() override { --g_liveObjects; }
  // The member id of a name, or -1.
  virtual DISPID Lookup(std::u16string_view name) const = 0;
  virtual HRESULT Dispatch(DISPID id, const Call& call) = 0;

  std::shared_ptr<Store> store_;

 private:
  std::atomic<ULONG> refs_{1};
};

// ---- properties over a bag (items and recurrence patterns) ------------------------------

DISPID LookupBag(const Schema& schema, const PropertyBag* bag, std::u16string_view name) {
  const int slot = schema.index.Find(name);
  if (slot >= 0) return kSlotBase + slot;
  if (bag) {
    const int extra = bag->FindExtra(name);
    if (extra >= 0) return kExtraBase + extra;
  }
  return -1;
}

// Reads or writes one property of a bag. `changed` gets the slot written (-1 for none).
HRESULT BagProperty(const Schema& schema, PropertyBag& bag, DISPID id, const Call& c,
                    int& changed) {
  changed = -1;
  const bool extra = id >= kExtraBase;
  const std::size_t index = static_cast<std::size_t>(id - (extra ? kExtraBase : kSlotBase));
  if (extra ? index >= bag.extras.size() : index >= schema.props.size())
    return DISP_E_MEMBERNOTFOUND;
  const ValueKind declared = extra ? ValueKind::kEmpty : schema.props[index].type;
  if (c.Put()) {
    if (c.params->cArgs != 1) return DISP_E_BADPARAMCOUNT;
    if (!extra && schema.props[index].readOnly) {
      return c.Exception(std::string("The property \"") + schema.props[index].name +
                         "\" is read-only.");
    }
    Value value;
    if (!ValueFromVariant(*c.PutValue(), value) || (!extra && !CoerceForPut(value, declared))) {
      if (c.argErr) *c.argErr = 0;
      return DISP_E_TYPEMISMATCH;
    }
    if (extra) {
      bag.extras[index].second = std::move(value);
    } else if (value.kind == ValueKind::kEmpty) {
      bag.ClearSlot(static_cast<int>(index));
      changed = static_cast<int>(index);
    } else {
      bag.SetSlot(static_cast<int>(index), std::move(value));
      changed = static_cast<int>(index);
    }
    return S_OK;
  }
  if (HRESULT hr = CheckGetter(c); FAILED(hr)) return hr;
  const Value* value = extra ? &bag.extras[index].second : bag.Slot(static_cast<int>(index));
  return c.ReturnValue(value ? *value : Value(), declared);
}

// ---- the objects -------------------------------------------------------------------------

class UserPropertyObject final : public DispatchBase {
 public:
  UserPropertyObject(std::shared_ptr<Store> store, std::shared_ptr<ItemData> item,
                     std::size_t index)
      : DispatchBase(std::move(store)), item_(std::move(item)), index_(index) {}

 private:
  enum : DISPID { kName = 1, kType, kValue };
  DISPID Lookup(std::u16string_view name) const override {
    static const NameIndex index = MakeIndex({{"Name", kName}, {"Type", kType}, {"Value", kValue}});
    return index.Find(name);
  }
  HRESULT Dispatch(DISPID id, const Call& c) override {
    UserProp& prop = item_->userProps[index_];
    switch (id) {
      case kName:
        if (HRESULT hr = CheckGetter(c); FAILED(hr)) return hr;
        return c.ReturnText(prop.name);
      case kType:
        if (HRESULT hr = CheckGetter(c); FAILED(hr)) return hr;
        return c.ReturnLong(prop.type);
      case kValue:
        if (c.Put()) {
          Value value;
          if (c.params->cArgs != 1) return DISP_E_BADPARAMCOUNT;
          if (!ValueFromVariant(*c.PutValue(), value)) {
            if (c.argErr) *c.argErr = 0;
            return DISP_E_TYPEMISMATCH;
          }
          prop.value = std::move(value);
          item_->dirty = true;
          return S_OK;
        }
        if (HRESULT hr = CheckGetter(c); FAILED(hr)) return hr;
        // The value as it was stored, whatever the declared type.
        return c.ReturnValue(prop.value, ValueKind::kEmpty);
      default:
        return DISP_E_MEMBERNOTFOUND;
    }
  }

  std::shared_ptr<ItemData> item_;
  std::size_t index_;
};

class UserPropertiesObject final : public DispatchBase {
 public:
  UserPropertiesObject(std::shared_ptr<Store> store, std::shared_ptr<ItemData> item)
      : DispatchBase(std::move(store)), item_(std::move(item)) {}

 private:
  enum : DISPID { kCount = 1, kItem, kFind, kAdd };
  DISPID Lookup(std::u16string_view name) const override {
    static const NameIndex index =
        MakeIndex({{"Count", kCount}, {"Item", kItem}, {"Find", kFind}, {"Add", kAdd}});
    return index.Find(name);
  }
  std::optional<std::size_t> ByName(std::u16string_view name) const {
    for (std::size_t i = 0; i < item_->userProps.size(); ++i) {
      if (Utf8ToUtf16(item_->userProps[i].name) == name) return i;
    }
    // Outlook matches user property names without regard to case as well.
    for (std::size_t i = 0; i < item_->userProps.size(); ++i) {
      if (EqualsNoCase16(name, item_->userProps[i].name)) return i;
    }
    return std::nullopt;
  }
  HRESULT Object(std::size_t i, const Call& c) {
    return c.ReturnObject(new UserPropertyObject(store_, item_, i));
  }
  HRESULT Dispatch(DISPID id, const Call& c) override {
    switch (id) {
      case kCount:
        if (HRESULT hr = CheckGetter(c); FAILED(hr)) return hr;
        return c.ReturnLong(static_cast<LONG>(item_->userProps.size()));
      case kItem: {
        if (c.Put() || c.Positional() != 1)
          return c.Put() ? DISP_E_MEMBERNOTFOUND : DISP_E_BADPARAMCOUNT;
        LONG n = 0;
        if (SUCCEEDED(c.ArgLong(0, n))) {
          if (n < 1 || static_cast<std::size_t>(n) > item_->userProps.size())
            return DISP_E_BADINDEX;
          return Object(static_cast<std::size_t>(n - 1), c);
        }
        std::u16string name;
        if (HRESULT hr = c.ArgText(0, name); FAILED(hr)) return hr;
        auto i = ByName(name);
        if (!i) return DISP_E_BADINDEX;
        return Object(*i, c);
      }
      case kFind: {
        if (HRESULT hr = CheckMethod(c, 1, 2); FAILED(hr)) return hr;
        std::u16string name;
        if (HRESULT hr = c.ArgText(0, name); FAILED(hr)) return hr;
        auto i = ByName(name);
        // Outlook answers Nothing for a name it does not have.
        return i ? Object(*i, c) : c.ReturnObject(nullptr);
      }
      case kAdd: {
        if (HRESULT hr = CheckMethod(c, 2, 4); FAILED(hr)) return hr;
        std::u16string name;
        LONG type = 0;
        if (HRESULT hr = c.ArgText(0, name); FAILED(hr)) return hr;
        if (HRESULT hr = c.ArgLong(1, type); FAILED(hr)) return hr;
        if (name.empty()) return c.Exception("A user property needs a name.");
        if (ByName(name)) return c.Exception("A user property of that name exists already.");
        UserProp prop;
        prop.name = Utf16ToUtf8(name);
        prop.type = type;
        item_->userProps.push_back(std::move(prop));
        item_->dirty = true;
        return Object(item_->userProps.size() - 1, c);
      }
      default:
        return DISP_E_MEMBERNOTFOUND;
    }
  }

  std::shared_ptr<ItemData> item_;
};

class PatternObject final : public DispatchBase {
 public:
  PatternObject(std::shared_ptr<Store> store, std::shared_ptr<ItemData> item)
      : DispatchBase(std::move(store)), item_(std::move(item)) {}

 private:
  DISPID Lookup(std::u16string_view name) const override {
    return LookupBag(PatternSchema(), item_->recurrence ? &*item_->recurrence : nullptr, name);
  }
  HRESULT Dispatch(DISPID id, const Call& c) override {
    // A pattern cleared while this object lived comes back on the next write.
    if (!item_->recurrence) {
      if (!c.Put()) {
        PropertyBag empty;
        int ignored;
        return id >= kExtraBase ? DISP_E_MEMBERNOTFOUND
                                : BagProperty(PatternSchema(), empty, id, c, ignored);
      }
      item_->recurrence.emplace();
    }
    int changed = -1;
    HRESULT hr = BagProperty(PatternSchema(), *item_->recurrence, id, c, changed);
    if (SUCCEEDED(hr) && c.Put()) {
      item_->dirty = true;
      static const int endSlot = PatternSchema().index.Find(std::string_view("PatternEndDate"));
      static const int noEndSlot = PatternSchema().index.Find(std::string_view("NoEndDate"));
      if (changed == endSlot && item_->recurrence->Slot(endSlot)) {
        item_->recurrence->SetSlot(noEndSlot, Value::Bool(false));
      }
    }
    return hr;
  }

  std::shared_ptr<ItemData> item_;
};

class ItemObject final : public DispatchBase {
 public:
  ItemObject(std::shared_ptr<Store> store, std::shared_ptr<ItemData> item, FolderSlot folder)
      : DispatchBase(std::move(store)), item_(std::move(item)), folder_(folder) {}

 private:
  enum : DISPID {
    kSave = 1,
    kUserProperties,
    kGetRecurrencePattern,
    kClearRecurrencePattern,
    kIsRecurring,
    kClass,
    kMessageClass,
    kSaved,
  };
  bool Recurs() const { return item_->kind == Kind::kAppointment || item_->kind == Kind::kTask; }
  DISPID Lookup(std::u16string_view name) const override {
    static const NameIndex index = MakeIndex({{"Save", kSave},
                                              {"UserProperties", kUserProperties},
                                              {"GetRecurrencePattern", kGetRecurrencePattern},
                                              {"ClearRecurrencePattern", kClearRecurrencePattern},
                                              {"IsRecurring", kIsRecurring},
                                              {"Class", kClass},
                                              {"MessageClass", kMessageClass},
                                              {"Saved", kSaved}});
    const DISPID id = index.Find(name);
    if (id >= 0) {
      const bool recurrenceMember =
          id == kGetRecurrencePattern || id == kClearRecurrencePattern || id == kIsRecurring;
      if (!recurrenceMember || Recurs()) return id;
    }
    return LookupBag(SchemaOf(item_->kind), &item_->props, name);
  }

  HRESULT Dispatch(DISPID id, const Call& c) override {
    switch (id) {
      case kSave:
        if (HRESULT hr = CheckMethod(c, 0, 0); FAILED(hr)) return hr;
        return Save(c);
      case kUserProperties:
        if (HRESULT hr = CheckGetter(c); FAILED(hr)) return hr;
        return c.ReturnObject(new UserPropertiesObject(store_, item_));
      case kGetRecurrencePattern:
        if (HRESULT hr = CheckMethod(c, 0, 0); FAILED(hr)) return hr;
        if (!item_->recurrence) {
          // Outlook's pattern for an item that did not recur: weekly, every week, no end.
          const Schema& ps = PatternSchema();
          PropertyBag pattern;
          pattern.SetSlot(ps.index.Find(std::string_view("RecurrenceType")),
                          Value::Int(olRecursWeekly));
          pattern.SetSlot(ps.index.Find(std::string_view("Interval")), Value::Int(1));
          pattern.SetSlot(ps.index.Find(std::string_view("NoEndDate")), Value::Bool(true));
          item_->recurrence = std::move(pattern);
          item_->dirty = true;
        }
        return c.ReturnObject(new PatternObject(store_, item_));
      case kClearRecurrencePattern:
        if (HRESULT hr = CheckMethod(c, 0, 0); FAILED(hr)) return hr;
        item_->recurrence.reset();
        item_->dirty = true;
        return S_OK;
      case kIsRecurring:
        if (HRESULT hr = CheckGetter(c); FAILED(hr)) return hr;
        return c.ReturnBool(item_->recurrence.has_value());
      case kClass:
        if (HRESULT hr = CheckGetter(c); FAILED(hr)) return hr;
        return c.ReturnLong(ClassOf(item_->kind));
      case kMessageClass:
        if (HRESULT hr = CheckGetter(c); FAILED(hr)) return hr;
        return c.ReturnText(MessageClassOf(item_->kind));
      case kSaved:
        if (HRESULT hr = CheckGetter(c); FAILED(hr)) return hr;
        return c.ReturnBool(item_->inFolder && !item_->dirty);
      default:
        return Property(id, c);
    }
  }

  HRESULT Property(DISPID id, const Call& c) {
    const Schema& schema = SchemaOf(item_->kind);
    if (item_->kind == Kind::kNote && !c.Put() && id == kSlotBase + NoteSubjectSlot()) {
      // A note's subject is the first line of its body.
      const Value* body = item_->props.Slot(schema.index.Find(std::string_view("Body")));
      if (body && body->kind == ValueKind::kText && !body->text.empty()) {
        if (HRESULT hr = CheckGetter(c); FAILED(hr)) return hr;
        return c.ReturnText(body->text.substr(0, body->text.find_first_of("\r\n")));
      }
    }
    int changed = -1;
    HRESULT hr = BagProperty(schema, item_->props, id, c, changed);
    if (SUCCEEDED(hr) && c.Put()) {
      item_->dirty = true;
      if (item_->kind == Kind::kAppointment && changed >= 0) KeepTimesTogether(changed);
    }
    return hr;
  }

  static int NoteSubjectSlot() {
    static const int slot = SchemaOf(Kind::kNote).index.Find(std::string_view("Subject"));
    return slot;
  }

  // Outlook keeps start, end and duration consistent: a new start moves the end, a new
  // duration moves the end, a new end changes the duration.
  void KeepTimesTogether(int changed) {
    const auto& s = AppointmentSlotsOf();
    PropertyBag& p = item_->props;
    const Value* start = p.Slot(s.start);
    const Value* end = p.Slot(s.end);
    const Value* duration = p.Slot(s.duration);
    long long a = 0, b = 0;
    const bool hasStart =
        start && start->kind == ValueKind::kDate && OleDateToSeconds(start->real, a);
    if (!hasStart) return;
    if (changed == s.start || changed == s.duration) {
      double e = 0;
      if (duration && duration->kind == ValueKind::kInt &&
          OleDateFromSeconds(a + duration->number * 60LL, e)) {
        p.SetSlot(s.end, Value::Date(e));
      }
    } else if (changed == s.end && end && end->kind == ValueKind::kDate &&
               OleDateToSeconds(end->real, b) && (b - a) / 60 >= INT32_MIN &&
               (b - a) / 60 <= INT32_MAX) {
      p.SetSlot(s.duration, Value::Int(static_cast<std::int32_t>((b - a) / 60)));
    }
  }

  HRESULT Save(const Call& c) {
    const Schema& schema = SchemaOf(item_->kind);
    const double now = NowAsOleDate();
    const int created = schema.index.Find(std::string_view("CreationTime"));
    if (!item_->props.Slot(created)) item_->props.SetSlot(created, Value::Date(now));
    item_->props.SetSlot(schema.index.Find(std::string_view("LastModificationTime")),
                         Value::Date(now));
    store_->FillDerived(*item_);
    if (!item_->inFolder) {
      store_->folders[folder_].items.push_back(item_);
      item_->inFolder = true;
    }
    item_->dirty = false;
    std::string error;
    if (!store_->Save(error)) {
      store_->report.error = error;
      return c.Exception(error);
    }
    return S_OK;
  }

  std::shared_ptr<ItemData> item_;
  FolderSlot folder_;
};

class ItemsObject final : public DispatchBase {
 public:
  ItemsObject(std::shared_ptr<Store> store, FolderSlot folder)
      : DispatchBase(std::move(store)), folder_(folder) {}

 private:
  enum : DISPID { kCount = 1, kGetFirst, kGetNext, kGetLast, kGetPrevious, kItem, kAdd };
  DISPID Lookup(std::u16string_view name) const override {
    static const NameIndex index = MakeIndex({{"Count", kCount},
                                              {"GetFirst", kGetFirst},
                                              {"GetNext", kGetNext},
                                              {"GetLast", kGetLast},
                                              {"GetPrevious", kGetPrevious},
                                              {"Item", kItem},
                                              {"Add", kAdd}});
    return index.Find(name);
  }
  FolderData& Folder() { return store_->folders[folder_]; }
  // The item at the cursor, or Nothing past either end.
  HRESULT AtCursor(const Call& c) {
    auto& items = Folder().items;
    if (cursor_ < 0 || static_cast<std::size_t>(cursor_) >= items.size()) {
      return c.ReturnObject(nullptr);
    }
    return c.ReturnObject(
        new ItemObject(store_, items[static_cast<std::size_t>(cursor_)], folder_));
  }
  HRESULT Dispatch(DISPID id, const Call& c) override {
    const auto count = static_cast<long long>(Folder().items.size());
    switch (id) {
      case kCount:
        if (HRESULT hr = CheckGetter(c); FAILED(hr)) return hr;
        return c.ReturnLong(static_cast<LONG>(count));
      case kGetFirst:
      case kGetNext:
      case kGetLast:
      case kGetPrevious:
        if (HRESULT hr = CheckMethod(c, 0, 0); FAILED(hr)) return hr;
        if (id == kGetFirst) cursor_ = 0;
        if (id == kGetLast) cursor_ = count - 1;
        if (id == kGetNext && cursor_ < count) ++cursor_;
        if (id == kGetPrevious && cursor_ >= 0) --cursor_;
        return AtCursor(c);
      case kItem: {
        if (c.Put()) return DISP_E_MEMBERNOTFOUND;
        if (c.Positional() != 1) return DISP_E_BADPARAMCOUNT;
        LONG n = 0;
        if (HRESULT hr = c.ArgLong(0, n); FAILED(hr)) return hr;
        if (n < 1 || n > count) return DISP_E_BADINDEX;
        return c.ReturnObject(
            new ItemObject(store_, Folder().items[static_cast<std::size_t>(n - 1)], folder_));
      }
      case kAdd: {
        if (HRESULT hr = CheckMethod(c, 0, 1); FAILED(hr)) return hr;
        Kind kind = Folder().kind;
        if (c.Arg(0)) {
          LONG type = 0;
          if (HRESULT hr = c.ArgLong(0, type); FAILED(hr)) return hr;
          switch (type) {
            case olAppointmentItem:
              kind = Kind::kAppointment;
              break;
            case olContactItem:
              kind = Kind::kContact;
              break;
            case olTaskItem:
              kind = Kind::kTask;
              break;
            case olNoteItem:
              kind = Kind::kNote;
              break;
            default:
              return c.Exception("The item type " + std::to_string(type) + " is not supported.");
          }
        }
        auto item = std::make_shared<ItemData>();
        item->kind = kind;
        item->dirty = true;
        return c.ReturnObject(new ItemObject(store_, std::move(item), folder_));
      }
      default:
        return DISP_E_MEMBERNOTFOUND;
    }
  }

  FolderSlot folder_;
  long long cursor_ = -1;
};

class FolderObject final : public DispatchBase {
 public:
  FolderObject(std::shared_ptr<Store> store, FolderSlot folder)
      : DispatchBase(std::move(store)), folder_(folder) {}

 private:
  enum : DISPID { kName = 1, kStoreID, kEntryID, kItems, kDefaultItemType, kFolderPath };
  DISPID Lookup(std::u16string_view name) const override {
    static const NameIndex index = MakeIndex({{"Name", kName},
                                              {"StoreID", kStoreID},
                                              {"EntryID", kEntryID},
                                              {"Items", kItems},
                                              {"DefaultItemType", kDefaultItemType},
                                              {"FolderPath", kFolderPath}});
    return index.Find(name);
  }
  HRESULT Dispatch(DISPID id, const Call& c) override {
    if (HRESULT hr = CheckGetter(c); FAILED(hr)) return hr;
    const FolderData& f = store_->folders[folder_];
    switch (id) {
      case kName:
        return c.ReturnText(f.name);
      case kStoreID:
        return c.ReturnText(store_->storeId);
      case kEntryID:
        return c.ReturnText(f.entryId);
      case kItems:
        return c.ReturnObject(new ItemsObject(store_, folder_));
      case kDefaultItemType: {
        static constexpr LONG kTypes[] = {olContactItem, olAppointmentItem, olTaskItem, olNoteItem};
        return c.ReturnLong(kTypes[folder_]);
      }
      case kFolderPath:
        return c.ReturnText("\\\\Personal Folders\\" + f.name);
      default:
        return DISP_E_MEMBERNOTFOUND;
    }
  }

  FolderSlot folder_;
};

class NameSpaceObject final : public DispatchBase {
 public:
  explicit NameSpaceObject(std::shared_ptr<Store> store) : DispatchBase(std::move(store)) {}

 private:
  enum : DISPID { kGetDefaultFolder = 1, kLogon, kLogoff, kType, kCurrentProfileName };
  DISPID Lookup(std::u16string_view name) const override {
    static const NameIndex index = MakeIndex({{"GetDefaultFolder", kGetDefaultFolder},
                                              {"Logon", kLogon},
                                              {"Logoff", kLogoff},
                                              {"Type", kType},
                                              {"CurrentProfileName", kCurrentProfileName}});
    return index.Find(name);
  }
  HRESULT Dispatch(DISPID id, const Call& c) override {
    switch (id) {
      case kGetDefaultFolder: {
        if (HRESULT hr = CheckMethod(c, 1, 1); FAILED(hr)) return hr;
        LONG which = 0;
        if (HRESULT hr = c.ArgLong(0, which); FAILED(hr)) return hr;
        FolderSlot slot;
        switch (which) {
          case olFolderContacts:
            slot = kContacts;
            break;
          case olFolderCalendar:
            slot = kCalendar;
            break;
          case olFolderTasks:
            slot = kTasks;
            break;
          case olFolderNotes:
            slot = kNotes;
            break;
          default:
            return c.Exception("The default folder " + std::to_string(which) +
                               " is not available.");
        }
        return c.ReturnObject(new FolderObject(store_, slot));
      }
      case kLogon:
      case kLogoff:
        if (HRESULT hr = CheckMethod(c, 0, 4); FAILED(hr)) return hr;
        return S_OK;
      case kType:
        if (HRESULT hr = CheckGetter(c); FAILED(hr)) return hr;
        return c.ReturnText("MAPI");
      case kCurrentProfileName:
        if (HRESULT hr = CheckGetter(c); FAILED(hr)) return hr;
        return c.ReturnText("Outlook");
      default:
        return DISP_E_MEMBERNOTFOUND;
    }
  }
};

class ApplicationObject final : public DispatchBase {
 public:
  explicit ApplicationObject(std::shared_ptr<Store> store) : DispatchBase(std::move(store)) {}

 protected:
  ~ApplicationObject() override {
    std::lock_guard<std::mutex> guard(g_appLock);
    if (g_app == this) {
      g_app = nullptr;
      g_appStore.reset();
    }
  }

 private:
  enum : DISPID { kGetNameSpace = 1, kSession, kVersion, kName, kQuit };
  DISPID Lookup(std::u16string_view name) const override {
    static const NameIndex index = MakeIndex({{"GetNameSpace", kGetNameSpace},
                                              {"Session", kSession},
                                              {"Version", kVersion},
                                              {"Name", kName},
                                              {"Quit", kQuit}});
    return index.Find(name);
  }
  HRESULT Dispatch(DISPID id, const Call& c) override {
    switch (id) {
      case kGetNameSpace: {
        if (HRESULT hr = CheckMethod(c, 1, 1); FAILED(hr)) return hr;
        std::u16string type;
        if (HRESULT hr = c.ArgText(0, type); FAILED(hr)) return hr;
        if (!EqualsNoCase16(type, "MAPI")) {
          return c.Exception("The namespace \"" + Utf16ToUtf8(type) + "\" is not supported.");
        }
        return c.ReturnObject(new NameSpaceObject(store_));
      }
      case kSession:
        if (HRESULT hr = CheckGetter(c); FAILED(hr)) return hr;
        return c.ReturnObject(new NameSpaceObject(store_));
      case kVersion:
        if (HRESULT hr = CheckGetter(c); FAILED(hr)) return hr;
        return c.ReturnText(store_->version.empty() ? "16.0.0.0" : store_->version);
      case kName:
        if (HRESULT hr = CheckGetter(c); FAILED(hr)) return hr;
        return c.ReturnText("Outlook");
      case kQuit:
        // The stand-in ends with its last reference.
        if (HRESULT hr = CheckMethod(c, 0, 0); FAILED(hr)) return hr;
        return S_OK;
      default:
        return DISP_E_MEMBERNOTFOUND;
    }
  }
};

}  // namespace

IDispatch* NewApplication(std::shared_ptr<Store> store) {
  auto* app = new ApplicationObject(store);
  std::lock_guard<std::mutex> guard(g_appLock);
  g_app = app;
  g_appStore = std::move(store);
  return app;
}

IDispatch* LiveApplication() {
  std::lock_guard<std::mutex> guard(g_appLock);
  return g_app && g_app->AddRefIfAlive() ? g_app : nullptr;
}

std::shared_ptr<Store> LiveStore() {
  std::lock_guard<std::mutex> guard(g_appLock);
  return g_appStore;
}

long LiveObjects() {
  return g_liveObjects.load();
}

}  // namespace platform::outlook
