#include "misc/DispCmd.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "TestUtil.h"
#include "misc/CxDebugUtil.h"
#include "misc/Utf8.h"

namespace {

// An automation object with named values, that records what reaches it.
class FakeDispatch final : public IDispatch {
 public:
  ULONG refs = 1;
  std::map<std::u16string, VARIANT> values;  // owned
  std::vector<std::u16string> names;         // by DISPID - 1
  std::u16string englishOnly;                // known only under 0x0409
  HRESULT lookupFailure = S_OK;              // answer of every lookup when set
  HRESULT invokeFailure = S_OK;
  std::vector<LCID> lookups;
  int invokes = 0;
  WORD lastFlags = 0;
  std::vector<VARIANT> lastArgs;  // shallow
  std::vector<DISPID> lastNamed;

  ~FakeDispatch() { Clear(); }
  void Clear() {
    for (auto& [n, v] : values) VariantClear(&v);
  }
  void Set(const std::u16string& name, const VARIANT& v) {
    VariantClear(&values[name]);
    values[name] = v;  // takes ownership
    if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
  }
  void SetText(const std::u16string& name, const char16_t* text) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocString(text);
    Set(name, v);
  }
  void SetLong(const std::u16string& name, LONG n) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = n;
    Set(name, v);
  }

  HRESULT QueryInterface(REFIID riid, void** out) override {
    if (riid == IID_IUnknown || riid == IID_IDispatch) {
      *out = this;
      ++refs;
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++refs; }
  ULONG Release() override { return --refs; }

  HRESULT GetIDsOfNames(REFIID, const OLECHAR* const* n, UINT, LCID lcid, DISPID* ids) override {
    lookups.push_back(lcid);
    if (lookupFailure != S_OK) return lookupFailure;
    const std::u16string name(n[0]);
    if (name == englishOnly && lcid != LOCALE_EN_US) return DISP_E_UNKNOWNNAME;
    auto it = std::find(names.begin(), names.end(), name);
    if (it == names.end()) return DISP_E_UNKNOWNNAME;
    ids[0] = static_cast<DISPID>(it - names.begin()) + 1;
    return S_OK;
  }
  HRESULT Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* p, VARIANT* result, EXCEPINFO*,
                 UINT*) override {
    ++invokes;
    lastFlags = flags;
    lastArgs.assign(p->rgvarg, p->rgvarg + p->cArgs);
    lastNamed.assign(p->rgdispidNamedArgs, p->rgdispidNamedArgs + p->cNamedArgs);
    if (invokeFailure != S_OK) return invokeFailure;
    VARIANT& stored = values[names[static_cast<std::size_t>(id - 1)]];
    if (flags & DISPATCH_PROPERTYPUT) return VariantCopy(&stored, &p->rgvarg[0]);
    if (result) return VariantCopy(result, &stored);
    return S_OK;
  }
};

class DispCmdTest : public ::testing::Test {
 protected:
  void SetUp() override { live_ = platform::LiveBstrCount(); }
  void TearDown() override {
    fake_.Clear();
    EXPECT_EQ(platform::LiveBstrCount(), live_) << "a BSTR leaked";
  }
  FakeDispatch fake_;
  long live_ = 0;
};

TEST_F(DispCmdTest, HoldsOneReferenceOfItsOwn) {
  {
    CDispCmd cmd(&fake_);
    EXPECT_EQ(fake_.refs, 2u);
    EXPECT_EQ(cmd.Dispatch(), &fake_);
    EXPECT_EQ(fake_.refs, 2u);
  }
  EXPECT_EQ(fake_.refs, 1u);
  CDispCmd none(nullptr);
  EXPECT_EQ(none.GetProperty(u"X", nullptr), E_INVALIDARG);

  // GetObject hands the caller the reference the property get returned.
  FakeDispatch child;
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_DISPATCH;
  v.pdispVal = &child;
  child.AddRef();
  fake_.Set(u"Child", v);
  CDispCmd cmd(&fake_);
  IDispatch* out = reinterpret_cast<IDispatch*>(1);
  ASSERT_EQ(cmd.GetObject(u"Child", &out), 0);
  EXPECT_EQ(out, &child);
  EXPECT_EQ(child.refs, 3u);  // its own, the stored value's, the caller's
  {
    CDispCmd wrapped(out);
    out->Release();
    EXPECT_EQ(child.refs, 3u);
  }
  EXPECT_EQ(child.refs, 2u);
  fake_.SetLong(u"Child", 0);
  EXPECT_EQ(child.refs, 1u);
  EXPECT_EQ(cmd.GetObject(u"Child", &out), 1);  // another type: null, not left as it was
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(cmd.GetObject(u"Child", nullptr), 1);
}

TEST_F(DispCmdTest, RefusesAMissingNameWithoutCallingAnything) {
  CDispCmd cmd(&fake_);
  VARIANT v;
  VariantInit(&v);
  EXPECT_EQ(cmd.GetProperty(nullptr, &v), E_INVALIDARG);
  EXPECT_EQ(cmd.GetProperty(u"", &v), E_INVALIDARG);
  EXPECT_TRUE(fake_.lookups.empty());
}

TEST_F(DispCmdTest, LooksANameUpAgainUnderUsEnglish) {
  TempDir dir;
  CxDebugUtil::Instance().SetFolder(dir.folder());
  fake_.SetText(u"FileAs", u"Doe, Ann");
  fake_.englishOnly = u"FileAs";
  CDispCmd cmd(&fake_);
  char buf[32] = "";
  EXPECT_EQ(cmd.GetText(u"FileAs", buf, sizeof buf), 0);
  EXPECT_STREQ(buf, "Doe, Ann");
  EXPECT_EQ(fake_.lookups, (std::vector<LCID>{LOCALE_SYSTEM_DEFAULT, LOCALE_EN_US}));

  // Unknown in both: logged with the name and the code, the code returned.
  fake_.lookups.clear();
  EXPECT_EQ(cmd.GetText(u"Nickname\u00E9", buf, sizeof buf), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(fake_.lookups.size(), 2u);
  const std::string text = ReadFile(CxDebugUtil::Instance().FilePath());
  EXPECT_NE(text.find("Failed to call IDispatch->GetIDsOfNames, Name=Nickname\xC3\xA9, "
                      "hr=0x80020006"),
            std::string::npos)
      << text;

  // Any other failure of the first lookup is returned at once.
  fake_.lookups.clear();
  fake_.lookupFailure = E_OUTOFMEMORY;
  EXPECT_EQ(cmd.GetText(u"FileAs", buf, sizeof buf), E_OUTOFMEMORY);
  EXPECT_EQ(fake_.lookups.size(), 1u);
  CxDebugUtil::Instance().SetFolder("./");
}

TEST_F(DispCmdTest, PassesFailuresThroughAndLeavesOutputsAlone) {
  fake_.SetText(u"Name", u"x");
  fake_.invokeFailure = DISP_E_EXCEPTION;
  CDispCmd cmd(&fake_);
  char buf[8] = "keep";
  EXPECT_EQ(cmd.GetText(u"Name", buf, sizeof buf), DISP_E_EXCEPTION);
  EXPECT_STREQ(buf, "keep");
  EXPECT_EQ(cmd.PutLong(u"Name", 3), DISP_E_EXCEPTION);
  std::int32_t n = 7;
  EXPECT_EQ(cmd.GetLong(u"Name", &n), DISP_E_EXCEPTION);
  EXPECT_EQ(n, 7);
}

// Every getter, offered every other type: 1, the output untouched, nothing leaked.
TEST_F(DispCmdTest, AnotherTypeGivesOneAndLeavesTheOutput) {
  FakeDispatch child;
  VARIANT values[5];
  for (auto& v : values) VariantInit(&v);
  values[0].vt = VT_BSTR;
  values[0].bstrVal = SysAllocString(u"12");
  values[1].vt = VT_I4;
  values[1].lVal = 12;
  values[2].vt = VT_BOOL;
  values[2].boolVal = VARIANT_TRUE;
  values[3].vt = VT_DATE;
  values[3].date = 45000.5;
  values[4].vt = VT_DISPATCH;
  values[4].pdispVal = &child;
  child.AddRef();
  const char16_t* names[] = {u"Text", u"Long", u"Bool", u"Date", u"Object"};
  for (int i = 0; i < 5; ++i) fake_.Set(names[i], values[i]);
  CDispCmd cmd(&fake_);
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    char text[8] = "keep";
    std::int32_t n = -5;
    std::uint8_t b = 9;
    double d = -2.0;
    EXPECT_EQ(cmd.GetText(names[i], text, sizeof text), i == 0 ? 0 : 1);
    EXPECT_EQ(cmd.GetLong(names[i], &n), i == 1 ? 0 : 1);
    EXPECT_EQ(cmd.GetBool(names[i], &b), i == 2 ? 0 : 1);
    EXPECT_EQ(cmd.GetDate(names[i], &d), i == 3 ? 0 : 1);
    EXPECT_STREQ(text, i == 0 ? "12" : "keep");
    EXPECT_EQ(n, i == 1 ? 12 : -5);
    EXPECT_EQ(b, i == 2 ? 1 : 9);
    EXPECT_EQ(d, i == 3 ? 45000.5 : -2.0);
  }
  EXPECT_EQ(child.refs, 2u);  // the stored value's reference only
  fake_.SetLong(u"Object", 0);
  EXPECT_EQ(child.refs, 1u);
}

TEST_F(DispCmdTest, NullAndEmptyTextReadAsEmpty) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BSTR;
  v.bstrVal = nullptr;
  fake_.Set(u"Null", v);
  fake_.SetText(u"Empty", u"");
  CDispCmd cmd(&fake_);
  char buf[4] = "abc";
  EXPECT_EQ(cmd.GetText(u"Null", buf, sizeof buf), 0);
  EXPECT_STREQ(buf, "");
  std::strcpy(buf, "abc");
  EXPECT_EQ(cmd.GetText(u"Empty", buf, sizeof buf), 0);
  EXPECT_STREQ(buf, "");
  EXPECT_EQ(cmd.GetText(u"Empty", nullptr, 4), 1);
}

// Text of one-, two-, three- and four-byte characters read into every buffer size around its
// length: always the longest whole-character prefix that leaves room for the NUL.
TEST_F(DispCmdTest, GetTextCutsOnWholeCharactersAtEverySize) {
  const std::string text = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80z\xE6\x9D\xB1";
  fake_.SetText(u"Body", platform::Utf8ToUtf16(text).c_str());
  CDispCmd cmd(&fake_);
  for (std::size_t size = 1; size <= text.size() + 3; ++size) {
    std::vector<char> buf(size + 1, '#');
    ASSERT_EQ(cmd.GetText(u"Body", buf.data(), size), 0);
    EXPECT_EQ(buf[size], '#') << "overrun at " << size;
    const std::string got(buf.data());
    EXPECT_EQ(got, std::string(Utf8Prefix(text, size - 1))) << size;
  }
}

TEST_F(DispCmdTest, PutTextSendsNothingEmptyAndCutsLongTexts) {
  fake_.SetText(u"Subject", u"old");
  CDispCmd cmd(&fake_);
  EXPECT_EQ(cmd.PutText(u"Subject", ""), 0);
  EXPECT_EQ(cmd.PutText(u"Subject", nullptr), 0);
  EXPECT_EQ(fake_.invokes, 0);
  EXPECT_TRUE(fake_.lookups.empty());

  ASSERT_EQ(cmd.PutText(u"Subject", "\xC3\xA9t\xC3\xA9"), 0);
  EXPECT_EQ(fake_.lastFlags, DISPATCH_PROPERTYPUT);
  EXPECT_EQ(fake_.lastNamed, std::vector<DISPID>{DISPID_PROPERTYPUT});
  EXPECT_EQ(std::u16string(fake_.values[u"Subject"].bstrVal), u"\u00E9t\u00E9");

  // 20,478 units and a character of two: the pair does not fit the 20,479 units sent.
  std::string longText(20478, 'a');
  longText += "\xF0\x9F\x98\x80tail";
  ASSERT_EQ(cmd.PutText(u"Subject", longText.c_str()), 0);
  EXPECT_EQ(SysStringLen(fake_.values[u"Subject"].bstrVal), 20478u);
  longText = std::string(20477, 'a') + "\xF0\x9F\x98\x80tail";
  ASSERT_EQ(cmd.PutText(u"Subject", longText.c_str()), 0);
  EXPECT_EQ(SysStringLen(fake_.values[u"Subject"].bstrVal), 20479u);
}

TEST_F(DispCmdTest, PutDateSendsNoEmptyDateAndTheRestAlways) {
  fake_.SetLong(u"Start", 0);
  CDispCmd cmd(&fake_);
  for (double empty : {0.0, 9.9e-6, -9.9e-6, -0.0}) EXPECT_EQ(cmd.PutDate(u"Start", empty), 0);
  EXPECT_EQ(fake_.invokes, 0);
  EXPECT_EQ(cmd.PutDate(u"Start", 1e-5), 0);  // just above the single-precision threshold
  EXPECT_EQ(fake_.lastArgs.at(0).vt, VT_DATE);
  EXPECT_EQ(cmd.PutDate(u"Start", -1.25), 0);
  EXPECT_EQ(fake_.values[u"Start"].date, -1.25);
  EXPECT_EQ(cmd.PutLong(u"Start", 0), 0);
  EXPECT_EQ(fake_.values[u"Start"].vt, VT_I4);
  EXPECT_EQ(cmd.PutBool(u"Start", 1), 0);
  EXPECT_EQ(fake_.values[u"Start"].vt, VT_BOOL);
  EXPECT_EQ(fake_.values[u"Start"].boolVal, 1);  // the byte widened, not VARIANT_TRUE
  EXPECT_EQ(fake_.invokes, 4);
}

TEST_F(DispCmdTest, CallMethodPassesArgumentsAsGiven) {
  fake_.SetLong(u"Add", 0);
  CDispCmd cmd(&fake_);
  VARIANT args[2];
  VariantInit(&args[0]);
  VariantInit(&args[1]);
  args[0].vt = VT_I4;  // the last argument
  args[0].lVal = 2;
  args[1].vt = VT_BOOL;
  args[1].boolVal = VARIANT_FALSE;
  VARIANT result;
  VariantInit(&result);
  ASSERT_EQ(cmd.CallMethod(u"Add", args, 2, &result), S_OK);
  EXPECT_EQ(fake_.lastFlags, DISPATCH_METHOD);
  ASSERT_EQ(fake_.lastArgs.size(), 2u);
  EXPECT_EQ(fake_.lastArgs[0].lVal, 2);
  EXPECT_TRUE(fake_.lastNamed.empty());
  VariantClear(&result);
}

struct DateCase {
  double ole;
  SYSTEMTIME st;  // year, month, day of week, day, hour, minute, second, ms
};

TEST(VariantTime, ConvertsKnownDatesBothWays) {
  const DateCase cases[] = {
      {0.0, {1899, 12, 6, 30, 0, 0, 0, 0}},
      {1.0, {1899, 12, 0, 31, 0, 0, 0, 0}},
      {-1.0, {1899, 12, 5, 29, 0, 0, 0, 0}},
      {-1.25, {1899, 12, 5, 29, 6, 0, 0, 0}},  // the fraction counts forwards
      {-0.5, {1899, 12, 6, 30, 12, 0, 0, 0}},  // same instant as 0.5
      {2.75, {1900, 1, 1, 1, 18, 0, 0, 0}},
      {36526.0, {2000, 1, 6, 1, 0, 0, 0, 0}},
      {45365.5, {2024, 3, 4, 14, 12, 0, 0, 0}},
      {-657434.0, {100, 1, 5, 1, 0, 0, 0, 0}},
      {2958465.0, {9999, 12, 5, 31, 0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.ole);
    SYSTEMTIME st;
    ASSERT_EQ(VariantTimeToSystemTime(c.ole, &st), 1);
    EXPECT_EQ(st, c.st);
    double back = 99;
    ASSERT_EQ(SystemTimeToVariantTime(&c.st, &back), 1);
    EXPECT_EQ(back, c.ole == -0.5 ? 0.5 : c.ole);
  }
}

TEST(VariantTime, RoundsToTheNearestSecondAndRefusesTheOutOfRange) {
  SYSTEMTIME st;
  ASSERT_EQ(VariantTimeToSystemTime(45365.0 + (3600 + 0.49) / 86400.0, &st), 1);
  EXPECT_EQ(st.wHour, 1);
  EXPECT_EQ(st.wSecond, 0);
  ASSERT_EQ(VariantTimeToSystemTime(45365.0 + (3600 + 0.5) / 86400.0, &st), 1);
  EXPECT_EQ(st.wSecond, 1);
  // The last half second of a day rounds into the next day.
  ASSERT_EQ(VariantTimeToSystemTime(45365.0 + (86400 - 0.4) / 86400.0, &st), 1);
  EXPECT_EQ(st, (SYSTEMTIME{2024, 3, 5, 15, 0, 0, 0, 0}));
  ASSERT_EQ(VariantTimeToSystemTime(-1.0 - (86400 - 0.4) / 86400.0, &st), 1);
  EXPECT_EQ(st, (SYSTEMTIME{1899, 12, 6, 30, 0, 0, 0, 0}));
  // Milliseconds are dropped on the way in.
  double d = 0;
  SYSTEMTIME withMs{2024, 3, 4, 14, 12, 0, 0, 999};
  ASSERT_EQ(SystemTimeToVariantTime(&withMs, &d), 1);
  EXPECT_EQ(d, 45365.5);

  EXPECT_EQ(VariantTimeToSystemTime(2958466.0, &st), 0);
  EXPECT_EQ(VariantTimeToSystemTime(-657435.0, &st), 0);
  EXPECT_EQ(VariantTimeToSystemTime(std::nan(""), &st), 0);
  const SYSTEMTIME bad[] = {{2023, 2, 0, 29, 0, 0, 0, 0},
                            {2024, 13, 0, 1, 0, 0, 0, 0},
                            {99, 1, 0, 1, 0, 0, 0, 0},
                            {2024, 1, 0, 1, 24, 0, 0, 0}};
  for (const auto& b : bad) EXPECT_EQ(SystemTimeToVariantTime(&b, &d), 0);
}

}  // namespace
