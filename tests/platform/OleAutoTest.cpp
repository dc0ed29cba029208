#include "platform/OleAuto.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/outlook/OutlookStandIn.h"

namespace {

// An object that only counts its references.
struct Counted final : IDispatch {
  ULONG refs = 1;
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
  ULONG Release() override { return --refs; }  // lives on the test's stack
  HRESULT GetIDsOfNames(REFIID, const OLECHAR* const*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }
};

TEST(Bstr, IsLengthPrefixedAndNulEnded) {
  const long live = platform::LiveBstrCount();
  EXPECT_EQ(SysAllocString(nullptr), nullptr);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  SysFreeString(nullptr);

  const OLECHAR text[] = {u'a', 0, u'b'};
  BSTR b = SysAllocStringLen(text, 3);  // an embedded NUL is part of the string
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(SysStringLen(b), 3u);
  EXPECT_EQ(SysStringByteLen(b), 6u);
  EXPECT_EQ(b[2], u'b');
  EXPECT_EQ(b[3], 0);
  BSTR zeroed = SysAllocStringLen(nullptr, 2);
  EXPECT_EQ(zeroed[0], 0);
  EXPECT_EQ(zeroed[2], 0);
  BSTR empty = SysAllocString(u"");
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(SysStringLen(empty), 0u);
  EXPECT_EQ(platform::LiveBstrCount(), live + 3);
  SysFreeString(b);
  SysFreeString(zeroed);
  SysFreeString(empty);
  EXPECT_EQ(platform::LiveBstrCount(), live);
}

TEST(Variant, CopyOwnsWhatItHoldsAndClearGivesItBack) {
  const long live = platform::LiveBstrCount();
  Counted object;
  VARIANT a, b;
  VariantInit(&a);
  VariantInit(&b);
  a.vt = VT_DISPATCH;
  a.pdispVal = &object;
  object.AddRef();
  ASSERT_EQ(VariantCopy(&b, &a), S_OK);
  EXPECT_EQ(object.refs, 3u);
  // Copying over a value clears it first.
  VARIANT text;
  VariantInit(&text);
  text.vt = VT_BSTR;
  text.bstrVal = SysAllocString(u"x");
  ASSERT_EQ(VariantCopy(&b, &text), S_OK);
  EXPECT_EQ(object.refs, 2u);
  EXPECT_NE(b.bstrVal, text.bstrVal);
  EXPECT_EQ(platform::LiveBstrCount(), live + 2);
  EXPECT_EQ(VariantClear(&b), S_OK);
  EXPECT_EQ(VariantClear(&text), S_OK);
  EXPECT_EQ(VariantClear(&a), S_OK);
  EXPECT_EQ(object.refs, 1u);
  EXPECT_EQ(platform::LiveBstrCount(), live);
  EXPECT_EQ(a.vt, VT_EMPTY);

  // A by-reference value is not owned.
  VARIANT inner, ref;
  VariantInit(&inner);
  inner.vt = VT_DISPATCH;
  inner.pdispVal = &object;
  ref.vt = VT_BYREF | VT_VARIANT;
  ref.pvarVal = &inner;
  EXPECT_EQ(VariantClear(&ref), S_OK);
  EXPECT_EQ(object.refs, 1u);
  VARIANT odd;
  VariantInit(&odd);
  odd.vt = 0x77;
  EXPECT_EQ(VariantClear(&odd), DISP_E_BADVARTYPE);
  EXPECT_EQ(VariantClear(nullptr), E_INVALIDARG);
}

struct Utf8Case {
  const char* name;
  std::string input;
  std::u16string expected;
};

// Malformed UTF-8 becomes one U+FFFD per maximal ill-formed part, as Unicode recommends.
TEST(Conversion, Utf8ToUtf16ReplacesMalformedInput) {
  const std::u16string R = u"\uFFFD";
  const Utf8Case cases[] = {
      {"ascii", "abc", u"abc"},
      {"two, three and four bytes", "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80",
       u"\u00E9\u20AC\U0001F600"},
      {"lone continuation", "a\x80z", u"a" + R + u"z"},
      {"cut two-byte", "a\xC3", u"a" + R},
      {"cut three-byte", "\xE2\x82z", R + u"z"},
      {"overlong", "\xC0\xAF", R + R},
      {"surrogate", "\xED\xA0\x80", R + R + R},
      {"past U+10FFFF", "\xF4\x90\x80\x80", R + R + R + R},
      {"invalid lead", "\xFF\xFE", R + R},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(platform::Utf8ToUtf16(c.input), c.expected) << c.name;
  }
  // Lone surrogates on the other side.
  EXPECT_EQ(platform::Utf16ToUtf8(std::u16string(u"a") + char16_t(0xD800) + u"b"),
            "a\xEF\xBF\xBD"
            "b");
  EXPECT_EQ(platform::Utf16ToUtf8(std::u16string(1, char16_t(0xDC00))), "\xEF\xBF\xBD");
}

TEST(Conversion, RoundTripsEveryPlane) {
  const std::string text =
      "Zo\xC3\xAB \xE6\x9D\xB1\xE4\xBA\xAC \xF0\x9F\x98\x80\xF0\x90\x8D\x88 \xD0\x96";
  EXPECT_EQ(platform::Utf16ToUtf8(platform::Utf8ToUtf16(text)), text);
  std::u16string all;
  for (char32_t cp : {U'\u0001', U'\u007F', U'\u0080', U'\u07FF', U'\u0800', U'\uD7FF', U'\uE000',
                      U'\uFFFD', U'\U00010000', U'\U0010FFFF'}) {
    if (cp > 0xFFFF) {
      all += char16_t(0xD800 + ((cp - 0x10000) >> 10));
      all += char16_t(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      all += char16_t(cp);
    }
  }
  EXPECT_EQ(platform::Utf8ToUtf16(platform::Utf16ToUtf8(all)), all);
}

// At every output size the Windows calls write whole characters only and never past the buffer.
TEST(Conversion, WindowsCallsCutOnWholeCharactersAndNeverOverrun) {
  const char* text = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";  // 1+2+3+4 bytes, 1+1+1+2 units
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0), 6);  // NUL counted
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, text, 3, nullptr, 0), 2);
  const int unitsBefore[] = {0, 1, 2, 3, 3, 5, 6};  // whole characters that fit n units
  for (int n = 1; n <= 6; ++n) {
    std::vector<OLECHAR> out(static_cast<std::size_t>(n) + 1, u'#');
    const int r = MultiByteToWideChar(CP_UTF8, 0, text, -1, out.data(), n);
    EXPECT_EQ(r, n == 6 ? 6 : 0) << n;
    EXPECT_EQ(out[static_cast<std::size_t>(n)], u'#') << "overrun at " << n;
    const int kept = unitsBefore[n];
    for (int i = kept; i < n; ++i) EXPECT_EQ(out[static_cast<std::size_t>(i)], u'#') << n;
    EXPECT_EQ(std::u16string(out.data(), static_cast<std::size_t>(kept)),
              platform::Utf8ToUtf16(std::string_view(text, 11))
                  .substr(0, static_cast<std::size_t>(kept)));
  }

  const std::u16string wide = platform::Utf8ToUtf16(text);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr), 11);
  for (int n = 1; n <= 11; ++n) {
    std::vector<char> out(static_cast<std::size_t>(n) + 1, '#');
    const int r =
        WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, out.data(), n, nullptr, nullptr);
    EXPECT_EQ(r, n == 11 ? 11 : 0) << n;
    EXPECT_EQ(out[static_cast<std::size_t>(n)], '#') << "overrun at " << n;
    std::size_t kept = 0;
    while (kept < static_cast<std::size_t>(n) && out[kept] != '#') ++kept;
    EXPECT_EQ(std::string(out.data(), kept), std::string(text, kept)) << n;
    EXPECT_TRUE(kept == 0 || kept == 1 || kept == 3 || kept == 6 || kept == 10 || kept == 11)
        << "cut inside a character at " << n;
  }
  // Unknown code pages and a default character (meaningless for UTF-8) fail.
  EXPECT_EQ(MultiByteToWideChar(1252, 0, text, -1, nullptr, 0), 0);
  bool used = false;
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, "?", &used), 0);
}

class Registry : public ::testing::Test {
 protected:
  void TearDown() override { platform::ResetAutomationServers(); }
};

TEST_F(Registry, FindsServersByProgIdWhateverTheCase) {
  CLSID clsid{};
  EXPECT_EQ(CLSIDFromProgID(u"outlook.APPLICATION", &clsid), S_OK);
  EXPECT_EQ(clsid, platform::outlook::kClsid);
  EXPECT_EQ(CLSIDFromProgID(u"Nobody.Application", &clsid), CO_E_CLASSSTRING);
  EXPECT_EQ(CLSIDFromProgID(nullptr, &clsid), E_INVALIDARG);

  void* object = reinterpret_cast<void*>(1);
  const CLSID unknown{0x12345678, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10}};
  EXPECT_EQ(CoCreateInstance(unknown, nullptr, CLSCTX_SERVER, IID_IUnknown, &object),
            REGDB_E_CLASSNOTREG);
  EXPECT_EQ(object, nullptr);
  IUnknown* running = nullptr;
  EXPECT_EQ(GetActiveObject(platform::outlook::kClsid, nullptr, &running), MK_E_UNAVAILABLE);
  EXPECT_EQ(OleRun(nullptr), E_INVALIDARG);
}

TEST_F(Registry, ServesDoublesAndHandsOverExactlyOneReference) {
  Counted object;
  const CLSID clsid{0xCAFE, 0, 0, {1, 2, 3, 4, 5, 6, 7, 8}};
  platform::AutomationServer server;
  server.clsid = clsid;
  server.create = [&](REFIID riid, void** out) { return object.QueryInterface(riid, out); };
  platform::RegisterAutomationServer(u"Test.Double", server);

  CLSID found{};
  ASSERT_EQ(CLSIDFromProgID(u"test.double", &found), S_OK);
  IUnknown* unknown = nullptr;
  ASSERT_EQ(CoCreateInstance(found, nullptr, CLSCTX_SERVER, IID_IUnknown,
                             reinterpret_cast<void**>(&unknown)),
            S_OK);
  EXPECT_EQ(object.refs, 2u);
  EXPECT_EQ(OleRun(unknown), S_OK);
  IDispatch* dispatch = nullptr;
  ASSERT_EQ(unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)), S_OK);
  EXPECT_EQ(object.refs, 3u);
  dispatch->Release();
  unknown->Release();
  EXPECT_EQ(object.refs, 1u);

  Counted outer;
  EXPECT_EQ(CoCreateInstance(found, &outer, CLSCTX_SERVER, IID_IUnknown,
                             reinterpret_cast<void**>(&unknown)),
            CLASS_E_NOAGGREGATION);
  EXPECT_EQ(object.refs, 1u);
  EXPECT_TRUE(platform::RevokeAutomationServer(u"TEST.DOUBLE"));
  EXPECT_EQ(CLSIDFromProgID(u"Test.Double", &found), CO_E_CLASSSTRING);
  EXPECT_FALSE(platform::RevokeAutomationServer(u"Test.Double"));
}

}  // namespace
