// Reading a large Outlook contacts folder property by property through the dispatcher and the
// stand-in server, as the contacts connector reads it: every name is resolved on every call.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "misc/DispCmd.h"
#include "platform/outlook/OutlookStandIn.h"

namespace {

// The text properties the connector reads from a contact, in its order.
const char16_t* const kTextProps[] = {u"EntryID",
                                      u"Account",
                                      u"AssistantName",
                                      u"AssistantTelephoneNumber",
                                      u"Business2TelephoneNumber",
                                      u"BusinessAddressCity",
                                      u"BusinessAddressCountry",
                                      u"BusinessAddressPostalCode",
                                      u"BusinessAddressPostOfficeBox",
                                      u"BusinessAddressState",
                                      u"BusinessAddressStreet",
                                      u"BusinessFaxNumber",
                                      u"BusinessHomePage",
                                      u"BusinessTelephoneNumber",
                                      u"CallbackTelephoneNumber",
                                      u"CarTelephoneNumber",
                                      u"CompanyMainTelephoneNumber",
                                      u"CompanyName",
                                      u"ComputerNetworkName",
                                      u"CustomerID",
                                      u"Department",
                                      u"Email1Address",
                                      u"Email1AddressType",
                                      u"Email1DisplayName",
                                      u"Email2Address",
                                      u"Email2AddressType",
                                      u"Email2DisplayName",
                                      u"Email3Address",
                                      u"Email3AddressType",
                                      u"Email3DisplayName",
                                      u"FirstName",
                                      u"FTPSite",
                                      u"FullName",
                                      u"Hobby",
                                      u"Home2TelephoneNumber",
                                      u"HomeAddressCity",
                                      u"HomeAddressCountry",
                                      u"HomeAddressPostalCode",
                                      u"HomeAddressPostOfficeBox",
                                      u"HomeAddressState",
                                      u"HomeAddressStreet",
                                      u"HomeFaxNumber",
                                      u"HomeTelephoneNumber",
                                      u"IMAddress",
                                      u"Initials",
                                      u"ISDNNumber",
                                      u"JobTitle",
                                      u"Language",
                                      u"LastName",
                                      u"MailingAddressCity",
                                      u"MailingAddressCountry",
                                      u"MailingAddressPostalCode",
                                      u"MailingAddressPostOfficeBox",
                                      u"MailingAddressState",
                                      u"MailingAddressStreet",
                                      u"ManagerName",
                                      u"MiddleName",
                                      u"MobileTelephoneNumber",
                                      u"NickName",
                                      u"OtherAddressCity",
                                      u"OtherAddressCountry",
                                      u"OtherAddressPostalCode",
                                      u"OtherAddressPostOfficeBox",
                                      u"OtherAddressState",
                                      u"OtherAddressStreet",
                                      u"OtherTelephoneNumber",
                                      u"PagerNumber",
                                      u"PersonalHomePage",
                                      u"PrimaryTelephoneNumber",
                                      u"Profession",
                                      u"RadioTelephoneNumber",
                                      u"Spouse",
                                      u"WebPage",
                                      u"Body",
                                      u"Categories"};
const char16_t* const kDateProps[] = {u"Anniversary", u"Birthday", u"CreationTime",
                                      u"LastModificationTime"};

// A store of `count` contacts with every property set.
std::string WriteStore(int count) {
  nlohmann::json items = nlohmann::json::array();
  for (int i = 0; i < count; ++i) {
    nlohmann::json props = nlohmann::json::object();
    for (const char16_t* name : kTextProps) {
      std::string key(name, name + std::char_traits<char16_t>::length(name));
      props[key] = key + " " + std::to_string(i) + " \xC3\xA9\xE6\x9D\xB1";
    }
    props["Birthday"] = "1970-05-01";
    props["Anniversary"] = "2001-02-03T04:05:06";
    props["CreationTime"] = "2020-01-01T10:00:00";
    props["LastModificationTime"] = "2021-01-01T10:00:00";
    props["Gender"] = i % 3;
    items.push_back({{"properties", props},
                     {"userProperties", {{{"name", "Shoe size"}, {"type", 1}, {"value", "42"}}}}});
  }
  nlohmann::json doc = {{"folders", {{"contacts", {{"items", items}}}}}};
  char path[] = "/tmp/qm-olbench-XXXXXX";
  int fd = mkstemp(path);
  if (fd >= 0) close(fd);
  std::ofstream(path) << doc.dump();
  return path;
}

std::unique_ptr<CDispCmd> Adopt(IDispatch* object) {
  auto cmd = std::make_unique<CDispCmd>(object);
  object->Release();
  return cmd;
}

std::unique_ptr<CDispCmd> Call(CDispCmd& on, const char16_t* name, VARIANT* args, UINT count) {
  VARIANT result;
  VariantInit(&result);
  if (on.CallMethod(name, args, count, &result) != S_OK || result.vt != VT_DISPATCH ||
      !result.pdispVal) {
    VariantClear(&result);
    return nullptr;
  }
  return Adopt(result.pdispVal);
}

void BM_ReadContacts(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  const std::string path = WriteStore(count);
  platform::outlook::SetStoreFile(path);
  std::int64_t calls = 0;
  for (auto _ : state) {
    CLSID clsid{};
    IUnknown* unknown = nullptr;
    IDispatch* dispatch = nullptr;
    if (CLSIDFromProgID(platform::outlook::kProgId, &clsid) != S_OK ||
        CoCreateInstance(clsid, nullptr, CLSCTX_SERVER, IID_IUnknown,
                         reinterpret_cast<void**>(&unknown)) != S_OK) {
      state.SkipWithError(platform::outlook::LastStoreReport().error.c_str());
      break;
    }
    unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch));
    unknown->Release();
    auto app = Adopt(dispatch);
    VARIANT arg;
    VariantInit(&arg);
    arg.vt = VT_BSTR;
    arg.bstrVal = SysAllocString(u"MAPI");
    auto ns = Call(*app, u"GetNameSpace", &arg, 1);
    VariantClear(&arg);
    arg.vt = VT_I4;
    arg.lVal = platform::outlook::olFolderContacts;
    auto folder = Call(*ns, u"GetDefaultFolder", &arg, 1);
    IDispatch* itemsObject = nullptr;
    folder->GetObject(u"Items", &itemsObject);
    auto items = Adopt(itemsObject);
    int read = 0;
    for (auto item = Call(*items, u"GetFirst", nullptr, 0); item;
         item = Call(*items, u"GetNext", nullptr, 0)) {
      char text[2048];
      for (const char16_t* name : kTextProps) item->GetText(name, text, 64);
      double date = 0;
      for (const char16_t* name : kDateProps) item->GetDate(name, &date);
      std::int32_t gender = 0;
      item->GetLong(u"Gender", &gender);
      IDispatch* props = nullptr;
      if (item->GetObject(u"UserProperties", &props) == 0 && props) {
        auto up = Adopt(props);
        VARIANT one, ref;
        VariantInit(&one);
        one.vt = VT_I4;
        one.lVal = 1;
        ref.vt = VT_BYREF | VT_VARIANT;
        ref.pvarVal = &one;
        if (auto p = Call(*up, u"Item", &ref, 1)) {
          p->GetText(u"Name", text, 64);
          p->GetText(u"Value", text, 64);
        }
      }
      ++read;
    }
    calls += read * (std::size(kTextProps) + std::size(kDateProps) + 4);
    if (read != count) state.SkipWithError("not every contact was read");
  }
  std::remove(path.c_str());
  state.SetItemsProcessed(state.iterations() * count);
  state.counters["calls"] =
      benchmark::Counter(static_cast<double>(calls), benchmark::Counter::kIsRate);
}

// Starting the server alone: reading and parsing the store.
void BM_StartServer(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  const std::string path = WriteStore(count);
  platform::outlook::SetStoreFile(path);
  for (auto _ : state) {
    CLSID clsid{};
    IUnknown* unknown = nullptr;
    if (CLSIDFromProgID(platform::outlook::kProgId, &clsid) != S_OK ||
        CoCreateInstance(clsid, nullptr, CLSCTX_SERVER, IID_IUnknown,
                         reinterpret_cast<void**>(&unknown)) != S_OK) {
      state.SkipWithError(platform::outlook::LastStoreReport().error.c_str());
      break;
    }
    unknown->Release();
  }
  std::remove(path.c_str());
  state.SetItemsProcessed(state.iterations() * count);
}

// One item's Save writes the whole store: its cost grows with the store.
void BM_SaveOneItem(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  const std::string path = WriteStore(count);
  platform::outlook::SetStoreFile(path);
  CLSID clsid{};
  IUnknown* unknown = nullptr;
  IDispatch* dispatch = nullptr;
  if (CLSIDFromProgID(platform::outlook::kProgId, &clsid) != S_OK ||
      CoCreateInstance(clsid, nullptr, CLSCTX_SERVER, IID_IUnknown,
                       reinterpret_cast<void**>(&unknown)) != S_OK) {
    state.SkipWithError(platform::outlook::LastStoreReport().error.c_str());
    return;
  }
  unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch));
  unknown->Release();
  auto app = Adopt(dispatch);
  VARIANT arg;
  VariantInit(&arg);
  arg.vt = VT_BSTR;
  arg.bstrVal = SysAllocString(u"MAPI");
  auto ns = Call(*app, u"GetNameSpace", &arg, 1);
  VariantClear(&arg);
  arg.vt = VT_I4;
  arg.lVal = platform::outlook::olFolderContacts;
  auto folder = Call(*ns, u"GetDefaultFolder", &arg, 1);
  IDispatch* itemsObject = nullptr;
  folder->GetObject(u"Items", &itemsObject);
  auto items = Adopt(itemsObject);
  for (auto _ : state) {
    auto item = Call(*items, u"Add", nullptr, 0);
    item->PutText(u"FirstName", "New");
    if (item->CallMethod(u"Save", nullptr, 0, nullptr) != S_OK) {
      state.SkipWithError(platform::outlook::LastStoreReport().error.c_str());
      break;
    }
  }
  std::remove(path.c_str());
}

}  // namespace

BENCHMARK(BM_SaveOneItem)->Arg(1000)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_StartServer)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ReadContacts)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_MAIN();
