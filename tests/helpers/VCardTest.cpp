#include <gtest/gtest.h>

#include "ContactCard.h"
#include "HelpersTestUtil.h"
#include "VCard.h"
#include "misc/CxDateTime.h"

namespace {

OleDate Day(int y, int m, int d, int h = 0, int mi = 0, int s = 0) {
  SYSTEMTIME st;
  st.wYear = static_cast<std::uint16_t>(y);
  st.wMonth = static_cast<std::uint16_t>(m);
  st.wDay = static_cast<std::uint16_t>(d);
  st.wHour = static_cast<std::uint16_t>(h);
  st.wMinute = static_cast<std::uint16_t>(mi);
  st.wSecond = static_cast<std::uint16_t>(s);
  OleDate out;
  CxDateTime::SystemTimeToOleDate(st, out);
  return out;
}

// Every slot filled from the front, with texts that need escaping and folding.
GoogleContact FullContact() {
  GoogleContact c;
  c.FirstName = "Ann";
  c.MiddleName = "B.";
  c.LastName = "O'Neil; Jr";
  c.DisplayName = "Ann, the \"first\"";
  c.NickName = "Annie";
  c.CompanyName = "Acme; Widgets";
  c.JobTitle = "Head\\of things";
  const std::int32_t emailTypes[] = {2, 1, 3, 1, 2};
  for (std::size_t i = 0; i < 5; ++i) {
    c.EmailType[i] = emailTypes[i];
    c.Email[i] = "ann" + std::to_string(i) + "@example.com";
  }
  c.PrimaryEmail = "ann1@example.com";
  const std::int32_t addrTypes[] = {2, 1, 3, 1, 3};
  for (std::size_t i = 0; i < 5; ++i) {
    std::string n = std::to_string(i);
    c.AddressType[i] = addrTypes[i];
    c.FormattedAddress[i] = i % 2 ? "" : "1 Main St\nSpringfield, " + n;
    c.City[i] = "Köln " + n;
    c.State[i] = "NRW" + n;
    c.Country[i] = "Germany" + n;
    c.PostalCode[i] = "5066" + n;
    c.Street[i] = "Hohe Straße, 1;" + n;
    c.PoBox[i] = "PO " + n;
    c.Neighborhood[i] = "Altstadt " + n;
  }
  for (std::size_t i = 0; i < 10; ++i) {
    c.PhoneType[i] = static_cast<std::int32_t>(i % 7 + 1);
    c.Phone[i] = "+49 221 " + std::to_string(1000 + i);
  }
  c.PrimaryPhone = "+1 555 0100";  // held by no slot: a line of its own
  for (std::size_t i = 0; i < 10; ++i) {
    c.WebSiteType[i] = static_cast<std::int32_t>(i % 7 + 1);
    c.WebSite[i] = "http://example.com/" + std::to_string(i) + "?a=1,b=2";
  }
  c.PrimaryWebSite = "http://example.com/2?a=1,b=2";
  for (std::size_t i = 0; i < 10; ++i) {
    c.ImType[i] = static_cast<std::int32_t>(i % 8 + 1);
    c.Im[i] = "ann.im" + std::to_string(i);
  }
  c.PrimaryIm = "ann.im4";
  for (std::size_t i = 0; i < 10; ++i) {
    if (i == 3) continue;  // a hole keeps the later fields in their slots
    c.CustomLabel[i] = "Label " + std::to_string(i);
    c.CustomValue[i] = i == 5 ? "" : "Value, " + std::to_string(i);
  }
  const std::int32_t dateTypes[] = {1, 2, 3, 1, 7};
  for (std::size_t i = 0; i < 5; ++i) {
    c.DateType[i] = dateTypes[i];
    c.Date[i] = Day(1970 + static_cast<int>(i), 3, 14, i == 2 ? 10 : 0, i == 2 ? 30 : 0);
  }
  for (std::size_t i = 0; i < 20; ++i) {
    c.RelationType[i] = static_cast<std::int32_t>(i % 16 + 1);
    c.Relation[i] = "Relative " + std::to_string(i);
  }
  c.Note =
      std::string("Line one\nLine two; with, marks \\ and a long tail ") + std::string(300, 'x');
  c.Groups = "Friends, Family";
  c.CreationTime = Day(2020, 1, 2, 3, 4, 5);
  c.LastModificationTime = Day(2021, 6, 7, 8, 9, 10);
  return c;
}

GoogleContact RoundTrip(const GoogleContact& c, std::string* text = nullptr) {
  std::string card = WriteContactCard(c, "uid-1");
  if (text) *text = card;
  std::vector<VCard> cards = VCardReader::Parse(card);
  EXPECT_EQ(cards.size(), 1u);
  GoogleContact back;
  if (!cards.empty()) ReadContactCard(cards.front(), back);
  return back;
}

GoogleContact FromText(const std::string& text) {
  std::vector<VCard> cards = VCardReader::Parse(text);
  GoogleContact c;
  if (!cards.empty()) ReadContactCard(cards.front(), c);
  return c;
}

TEST(ContactCardTest, EverySlotComesBackFieldByField) {
  GoogleContact c = FullContact();
  std::string text;
  GoogleContact back = RoundTrip(c, &text);
  ExpectSameFields(c, back);
  // A vCard 3.0 as Google's export writes it.
  EXPECT_NE(text.find("\r\nVERSION:3.0\r\n"), std::string::npos);
  EXPECT_NE(text.find("N:O'Neil\\; Jr;Ann;B.;;\r\n"), std::string::npos);
  EXPECT_NE(text.find("EMAIL;TYPE=INTERNET;TYPE=HOME;TYPE=PREF:ann1@example.com"),
            std::string::npos);
  EXPECT_NE(text.find("TEL;TYPE=WORK;TYPE=FAX:"), std::string::npos);
  EXPECT_NE(text.find("BDAY:1970-03-14\r\n"), std::string::npos);
  EXPECT_NE(text.find("X-ANNIVERSARY:1971-03-14\r\n"), std::string::npos);
  EXPECT_NE(text.find("X-ABLabel:_$!<Spouse>!$_"), std::string::npos);
  EXPECT_NE(text.find("CATEGORIES:Friends,Family\r\n"), std::string::npos);
  for (std::size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos; at += 2) {
    std::size_t start = text.rfind("\r\n", at == 0 ? 0 : at - 1);
    start = start == std::string::npos ? 0 : start + 2;
    EXPECT_LE(at - start, 75u) << "unfolded line at " << start;
  }
}

TEST(ContactCardTest, EmptySlotsAreLeftOutAndPrimaryOnlyValuesStay) {
  GoogleContact c;
  c.AddressType = {2, 1, 3, 0, 0};  // the three empty slots a new record gets
  c.PrimaryEmail = "only@example.com";
  c.PrimaryIm = "aim:im-only";
  GoogleContact back = RoundTrip(c);
  EXPECT_EQ(back.AddressType[0], 0);
  EXPECT_EQ(back.EmailType[0], 0);
  EXPECT_EQ(back.PrimaryEmail, "only@example.com");
  EXPECT_EQ(back.PrimaryIm, "aim:im-only");
  EXPECT_EQ(back.ImType[0], 0);
}

TEST(ContactCardTest, ACardWithoutDisplayNameGetsTheNameABookWouldShow) {
  struct Case {
    const char* first;
    const char* last;
    const char* company;
    const char* email;
    const char* display;
    const char* fn;
  };
  for (const Case& k :
       {Case{"J\xC3\xB6rg", "M\xC3\xBCller", "ACME", "", "", "FN:J\xC3\xB6rg M\xC3\xBCller\r\n"},
        Case{"", "", "ACME, Inc.", "a@example.com", "", "FN:ACME\\, Inc.\r\n"},
        Case{"", "", "", "a@example.com", "", "FN:a@example.com\r\n"},
        Case{"", "", "", "", "", "FN:\r\n"},
        Case{"Ann", "Lee", "", "", "Dr. Ann", "FN:Dr. Ann\r\n"}}) {
    GoogleContact c;
    c.FirstName = k.first;
    c.LastName = k.last;
    c.CompanyName = k.company;
    c.PrimaryEmail = k.email;
    c.DisplayName = k.display;
    std::string text;
    GoogleContact back = RoundTrip(c, &text);
    EXPECT_NE(text.find(k.fn), std::string::npos) << text;
    // A name made up on the way out is not taken for the person's own.
    EXPECT_EQ(back.DisplayName, k.display) << text;
  }
}

TEST(VCardReaderTest, GoogleExportStyle) {
  GoogleContact c = FromText(
      "BEGIN:VCARD\r\n"
      "VERSION:3.0\r\n"
      "FN:Jane Doe\r\n"
      "N:Doe;Jane;;;\r\n"
      "EMAIL;TYPE=INTERNET;TYPE=WORK:jane@work.example\r\n"
      "EMAIL;TYPE=INTERNET:jane@other.example\r\n"
      "TEL;TYPE=CELL:+1 555 0101\r\n"
      "TEL;TYPE=HOME,FAX:+1 555 0102\r\n"
      "ADR;TYPE=HOME:;;12 Elm St\\, Apt 4;Springfield;IL;62701;USA\r\n"
      "item1.URL:http\\://jane.example/blog\r\n"
      "item1.X-ABLabel:BLOG\r\n"
      "item2.X-ABRELATEDNAMES:John\r\n"
      "item2.X-ABLabel:_$!<Spouse>!$_\r\n"
      "item3.X-ABDATE:2001-06-09\r\n"
      "item3.X-ABLabel:_$!<Anniversary>!$_\r\n"
      "X-SKYPE:jane.skype\r\n"
      "IMPP;X-SERVICE-TYPE=AIM:aim:janeaim\r\n"
      "BDAY:1980-02-29\r\n"
      "NOTE:first line\\nsecond\\, with comma\\; and semicolon\r\n"
      "CATEGORIES:myContacts,Starred\r\n"
      "END:VCARD\r\n");
  EXPECT_EQ(c.DisplayName, "");  // FN only repeats the name parts
  EXPECT_EQ(c.LastName, "Doe");
  EXPECT_EQ(c.EmailType[0], kGEmailWork);
  EXPECT_EQ(c.EmailType[1], kGEmailOther);
  EXPECT_EQ(c.PhoneType[0], kGPhoneMobile);
  EXPECT_EQ(c.PhoneType[1], kGPhoneHomeFax);
  EXPECT_EQ(c.AddressType[0], kGAddrHome);
  EXPECT_EQ(c.Street[0], "12 Elm St, Apt 4");
  EXPECT_EQ(c.PostalCode[0], "62701");
  EXPECT_EQ(c.WebSiteType[0], kGWebBlog);
  EXPECT_EQ(c.WebSite[0], "http://jane.example/blog");
  EXPECT_EQ(c.RelationType[0], kGRelSpouse);
  EXPECT_EQ(c.DateType[0], kGDateAnniversary);
  EXPECT_EQ(c.DateType[1], kGDateBirthday);
  EXPECT_EQ(c.Date[1], Day(1980, 2, 29));
  EXPECT_EQ(c.ImType[0], kGImSkype);
  EXPECT_EQ(c.ImType[1], kGImAim);
  EXPECT_EQ(c.Im[1], "janeaim");
  EXPECT_EQ(c.Note, "first line\nsecond, with comma; and semicolon");
  EXPECT_EQ(c.Groups, "myContacts, Starred");
}

TEST(VCardReaderTest, FoldedLinesAndOldProducers) {
  // vCard 2.1 from an old phone suite: bare type words, quoted-printable with a soft line
  // break, Windows text declared as ISO-8859-1, and a folded 3.0 line.
  std::string text =
      "BEGIN:VCARD\n"
      "VERSION:2.1\n"
      "N;CHARSET=ISO-8859-1:M\xfcller;J\xfcrgen\n"
      "TEL;WORK;VOICE:+49 30 1234\n"
      "NOTE;ENCODING=QUOTED-PRINTABLE;CHARSET=UTF-8:Zeile eins=0D=0AZeile zwei mit =C3=A4 und=\n"
      " ein Ende\n"
      "ADR;HOME;QUOTED-PRINTABLE:;;Stra=DFe 1;Berlin;;10115;\n"
      "TITLE:A very long job title that a writer has folded over\r\n"
      "  two lines\n"
      "END:VCARD\n";
  GoogleContact c = FromText(text);
  EXPECT_EQ(c.LastName, "Müller");
  EXPECT_EQ(c.FirstName, "Jürgen");
  EXPECT_EQ(c.PhoneType[0], kGPhoneWork);
  EXPECT_EQ(c.Note, "Zeile eins\r\nZeile zwei mit ä und ein Ende");
  EXPECT_EQ(c.AddressType[0], kGAddrHome);
  EXPECT_EQ(c.Street[0], "Straße 1");
  EXPECT_EQ(c.JobTitle, "A very long job title that a writer has folded over two lines");
}

TEST(VCardReaderTest, VCard4NumbersAndPreferences) {
  GoogleContact c = FromText(
      "BEGIN:VCARD\r\nVERSION:4.0\r\nN:Lee;Ann;;;\r\n"
      "EMAIL;TYPE=home:ann@home.example\r\nEMAIL;TYPE=work;PREF=1:ann@work.example\r\n"
      "TEL;VALUE=uri;TYPE=\"voice,cell\":tel:+44-7700-900123\r\n"
      "TEL;VALUE=uri;TYPE=work;PREF=1:TEL:+44-20-7946-0000\r\nEND:VCARD\r\n");
  EXPECT_EQ(c.PrimaryEmail, "ann@work.example");
  EXPECT_EQ(c.PhoneType[0], kGPhoneMobile);
  EXPECT_EQ(c.Phone[0], "+44-7700-900123");
  EXPECT_EQ(c.PrimaryPhone, "+44-20-7946-0000");
}

TEST(VCardReaderTest, MalformedInputNeverBreaksTheReader) {
  const std::string hostile[] = {
      "",
      "BEGIN:VCARD",
      "BEGIN:VCARD\r\nN\r\n:\r\n;;;\r\nEND:VCARD",
      "BEGIN:VCARD\r\nNOTE;ENCODING=QUOTED-PRINTABLE:=\r\n=\r\n=4\r\nEND:VCARD",
      "BEGIN:VCARD\r\nN:\\\r\nADR:;;;;;;;;;;;;;;\r\nEMAIL;TYPE=\"unterminated:x\r\nEND:VCARD",
      "BEGIN:VCARD\r\nBDAY:99999999T999999\r\nX-ABDATE:--0314\r\nREV:2020-13-45T99:99:99Z\r\n",
      "END:VCARD\r\nBEGIN:VCARD\r\nBEGIN:VCARD\r\nEND:VCARD\r\nEND:VCARD",
      std::string("BEGIN:VCARD\r\nFN:\xff\xfe\x80\0x\r\nEND:VCARD", 32),
  };
  for (const std::string& h : hostile) {
    for (std::size_t n = 0; n <= h.size(); ++n) {
      GoogleContact c = FromText(h.substr(0, n));
      (void)c;
    }
  }
  // Every prefix of a full card parses without harm.
  std::string full = WriteContactCard(FullContact(), "u");
  for (std::size_t n = 0; n <= full.size(); n += 7) FromText(full.substr(0, n));
  // More slots than a family holds: the rest are dropped.
  std::string many = "BEGIN:VCARD\r\n";
  for (int i = 0; i < 50; ++i) many += "EMAIL;TYPE=HOME:a" + std::to_string(i) + "@x\r\n";
  many += "END:VCARD\r\n";
  GoogleContact c = FromText(many);
  EXPECT_EQ(c.Email[4], "a4@x");
}

}  // namespace
