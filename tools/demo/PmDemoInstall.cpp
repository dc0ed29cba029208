#include "demo/PmDemoInstall.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <set>
#include <span>
#include <string_view>
#include <system_error>
#include <tuple>
#include <type_traits>

#include "palm/PmAddrExUtil.h"
#include "palm/PmAddrUtil.h"
#include "palm/PmByteSource.h"
#include "palm/PmDateExUtil.h"
#include "palm/PmDateUtil.h"
#include "palm/PmMemoExUtil.h"
#include "palm/PmMemoUtil.h"
#include "palm/PmRecordHeads.h"
#include "palm/PmTime.h"
#include "palm/PmTodoExUtil.h"
#include "palm/PmTodoUtil.h"
#include "pe/PeBuilder.h"

namespace fs = std::filesystem;

namespace {

// Left in a folder this tool wrote, so that a later run may replace it and nothing else.
constexpr const char* kMarker = ".pm_demo_install";

// splitmix64: the same numbers from every compiler and library, unlike <random>'s distributions.
class Rng {
 public:
  explicit Rng(std::uint64_t seed) : s_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (s_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  int Below(int n) { return n > 0 ? static_cast<int>(Next() % static_cast<std::uint64_t>(n)) : 0; }
  bool OneIn(int n) { return Below(n) == 0; }
  template <class T>
  const T& Pick(std::span<const T> items) {
    return items[static_cast<std::size_t>(Below(static_cast<int>(items.size())))];
  }

 private:
  std::uint64_t s_;
};

using Pool = std::span<const char* const>;

// ---- dates, by day number (days since 1970-01-01), free of the time zone

int DaysFromCivil(int y, int m, int d) {
  y -= m <= 2;
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int yoe = y - era * 400;
  const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

struct Ymd {
  int y, m, d;
};

Ymd CivilFromDays(int z) {
  z += 719468;
  const int era = (z >= 0 ? z : z - 146096) / 146097;
  const int doe = z - era * 146097;
  const int yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int mp = (5 * doy + 2) / 153;
  const int d = doy - (153 * mp + 2) / 5 + 1;
  const int m = mp + (mp < 10 ? 3 : -9);
  return {yoe + era * 400 + (m <= 2), m, d};
}

int Weekday(int days) {  // 0 Sunday
  return ((days % 7) + 11) % 7;
}

int DaysInMonth(int y, int m) {
  const int next = m == 12 ? DaysFromCivil(y + 1, 1, 1) : DaysFromCivil(y, m + 1, 1);
  return next - DaysFromCivil(y, m, 1);
}

Ymd AddMonths(int y, int m, int months) {
  const int index = y * 12 + (m - 1) + months;
  return {index / 12, index % 12 + 1, 1};
}

// The `week`-th (0 to 3; 4 the last) `weekday` of a month, as a day number.
int NthWeekday(int y, int m, int weekday, int week) {
  if (week >= 4) {
    const int last = DaysFromCivil(y, m, DaysInMonth(y, m));
    return last - ((Weekday(last) - weekday + 7) % 7);
  }
  const int first = DaysFromCivil(y, m, 1);
  return first + (weekday - Weekday(first) + 7) % 7 + 7 * week;
}

std::int32_t PalmAt(int days, int hour = 0, int minute = 0) {
  const Ymd c = CivilFromDays(days);
  return PmTime(c.y, c.m, c.d, hour, minute, 0).Value();
}

// Palm Desktop's "no date" and "for ever": the last second of 2031 in the writing PC's zone.
std::int32_t PalmNoDate() {
  return PmTime(2031, 12, 31, 23, 59, 59).Value();
}

// ---- text in a Windows code page

class Encoder {
 public:
  explicit Encoder(std::uint32_t codePage) : codePage_(codePage) {
    const std::string name = "CP" + std::to_string(codePage);
    cd_ = iconv_open(name.c_str(), "UTF-8");
    if (cd_ == reinterpret_cast<iconv_t>(-1)) failure_ = "code page " + name + " is not available";
  }
  ~Encoder() {
    if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
  }
  Encoder(const Encoder&) = delete;
  Encoder& operator=(const Encoder&) = delete;

  // The bytes of `text`, cut back a whole character at a time until they fit a field of
  // `capacity` (which holds capacity - 1 bytes).
  std::string operator()(std::string_view text, std::size_t capacity) {
    std::string raw = Encode(text);
    while (capacity && raw.size() >= capacity && !text.empty()) {
      std::size_t cut = text.size() - 1;
      while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
      text = text.substr(0, cut);
      raw = Encode(text);
    }
    return raw;
  }
  const std::string& Failure() const { return failure_; }
  std::uint32_t CodePage() const { return codePage_; }

 private:
  std::string Encode(std::string_view text) {
    if (cd_ == reinterpret_cast<iconv_t>(-1) || text.empty()) return {};
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    std::string out(text.size() * 2 + 8, '\0');
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    char* dst = out.data();
    std::size_t outLeft = out.size();
    if (iconv(cd_, &in, &inLeft, &dst, &outLeft) == static_cast<std::size_t>(-1) &&
        failure_.empty()) {
      failure_ = "\"" + std::string(text) + "\" cannot be written in code page " +
                 std::to_string(codePage_);
    }
    out.resize(static_cast<std::size_t>(dst - out.data()));
    return out;
  }

  std::uint32_t codePage_;
  iconv_t cd_;
  std::string failure_;
};

// ---- what each user's people and diaries are made of (UTF-8)

struct Script {
  Pool first, last, companies, titles, streets, cities, states, zips, countries, domains;
};

constexpr const char* kFrFirst[] = {"Émilie", "François", "Chloé",  "Thérèse", "Renée",
                                    "Zoë",    "Gaëlle",   "Jérôme", "Hélène",  "Noël"};
constexpr const char* kFrLast[] = {"Dupré",    "Lefèvre", "Bérubé",  "Lemaître", "Gaudreau",
                                   "Beaulieu", "Théret",  "Mercœur", "Dubœuf",   "Brontë"};
constexpr const char* kFrCompanies[] = {"Société Générale des Eaux",
                                        "Crédit Agricole Île-de-France", "Café Olé S.à r.l.",
                                        "Boulangerie Lemaître & Fils"};
constexpr const char* kFrTitles[] = {"Directrice financière", "Chargé d’affaires", "Gérant",
                                     "Ingénieur"};
constexpr const char* kFrStreets[] = {"12, rue de l’Église", "3 bis, avenue Foch",
                                      "Bâtiment B\r\n4, quai des Célestins", "27, place Vendôme"};
constexpr const char* kFrCities[] = {"Besançon", "Genève", "Montréal", "Orléans", "Nîmes"};
constexpr const char* kFrStates[] = {"Doubs", "GE", "Québec", "Loiret", ""};
constexpr const char* kFrZips[] = {"25000", "1204", "H2X 1Y4", "45000", "30000"};
constexpr const char* kFrCountries[] = {"France", "Suisse", "Canada", "France", "France"};
constexpr const char* kFrDomains[] = {"example.fr", "example.ch", "example.ca"};

constexpr const char* kDeFirst[] = {"Jürgen", "Björn", "Käthe", "Günther", "Jörg", "Ursula"};
constexpr const char* kDeLast[] = {"Müller", "Schröder", "Strauß", "Weiß", "Köhler", "Žižek"};
constexpr const char* kDeCompanies[] = {"Müller & Söhne GmbH", "Bäckerei Weiß KG",
                                        "Österreichische Präzisionstechnik AG"};
constexpr const char* kDeTitles[] = {"Geschäftsführer", "Prokuristin", "Außendienst"};
constexpr const char* kDeStreets[] = {"Königstraße 5", "Große Bleichen 12\r\n3. OG",
                                      "Mariahilfer Straße 88"};
constexpr const char* kDeCities[] = {"Köln", "München", "Zürich", "Düsseldorf", "Wien"};
constexpr const char* kDeStates[] = {"NRW", "Bayern", "ZH", "", "Wien"};
constexpr const char* kDeZips[] = {"50667", "80331", "8001", "40213", "1060"};
constexpr const char* kDeCountries[] = {"Deutschland", "Deutschland", "Schweiz", "Deutschland",
                                        "Österreich"};
constexpr const char* kDeDomains[] = {"example.de", "example.at"};

constexpr const char* kEsFirst[] = {"Iñaki", "João", "María José", "Begoña", "Inês", "Ramón"};
constexpr const char* kEsLast[] = {"Núñez", "Gonçalves", "García Márquez", "Peña", "Simões"};
constexpr const char* kEsCompanies[] = {"Señor Café, S.A.", "Construções Simões Lda.",
                                        "Pequeñas Alegrías S.L."};
constexpr const char* kEsTitles[] = {"Jefe de ventas", "Diretora comercial", "Contable"};
constexpr const char* kEsStreets[] = {"Calle Mayor 3, 2º izq.", "Rua Augusta 120, 1.º",
                                      "Avenida de la Constitución 18"};
constexpr const char* kEsCities[] = {"A Coruña", "São Paulo", "Lisboa", "Cádiz", "León"};
constexpr const char* kEsStates[] = {"Galicia", "SP", "", "Andalucía", "Castilla y León"};
constexpr const char* kEsZips[] = {"15001", "01310-100", "1100-048", "11001", "24001"};
constexpr const char* kEsCountries[] = {"España", "Brasil", "Portugal", "España", "España"};
constexpr const char* kEsDomains[] = {"example.es", "example.com.br", "example.pt"};

constexpr const char* kNoFirst[] = {"Søren", "Åsa", "Bjørn", "Sigríður", "Ægir", "Linnéa"};
constexpr const char* kNoLast[] = {"Østergaard", "Ødegård",   "Löfgren",
                                   "Hämäläinen", "Þórðarson", "Ångström"};
constexpr const char* kNoCompanies[] = {"Nørre Trading ApS", "Ærø Shipping A/S",
                                        "Åkesson & Öberg AB"};
constexpr const char* kNoTitles[] = {"Økonomichef", "Säljare", "Verkefnisstjóri"};
constexpr const char* kNoStreets[] = {"Nørregade 7, st. tv.", "Storgatan 1", "Laugavegur 26"};
constexpr const char* kNoCities[] = {"Århus", "Malmö", "Reykjavík", "Tromsø", "Göteborg"};
constexpr const char* kNoStates[] = {"", "Skåne", "", "Troms", "Västra Götaland"};
constexpr const char* kNoZips[] = {"8000", "211 22", "101", "9008", "411 04"};
constexpr const char* kNoCountries[] = {"Danmark", "Sverige", "Ísland", "Norge", "Sverige"};
constexpr const char* kNoDomains[] = {"example.dk", "example.se", "example.is"};

constexpr Script kLatinScripts[] = {
    {kFrFirst, kFrLast, kFrCompanies, kFrTitles, kFrStreets, kFrCities, kFrStates, kFrZips,
     kFrCountries, kFrDomains},
    {kDeFirst, kDeLast, kDeCompanies, kDeTitles, kDeStreets, kDeCities, kDeStates, kDeZips,
     kDeCountries, kDeDomains},
    {kEsFirst, kEsLast, kEsCompanies, kEsTitles, kEsStreets, kEsCities, kEsStates, kEsZips,
     kEsCountries, kEsDomains},
    {kNoFirst, kNoLast, kNoCompanies, kNoTitles, kNoStreets, kNoCities, kNoStates, kNoZips,
     kNoCountries, kNoDomains},
};

// Code page 932 holds kana and kanji, and also the Greek and Cyrillic capitals and Russian
// lower case (but no Greek accents or final sigma, so Greek is written in capitals).
constexpr const char* kJaFirst[] = {"太郎", "花子", "一郎", "由美", "健二", "美咲"};
constexpr const char* kJaLast[] = {"山田", "佐藤", "鈴木", "高橋", "田中", "渡辺"};
constexpr const char* kJaCompanies[] = {"株式会社山田商事", "東京電機工業株式会社", "ﾔﾏﾀﾞ運輸"};
constexpr const char* kJaTitles[] = {"営業部長", "課長", "代表取締役"};
constexpr const char* kJaStreets[] = {"港区芝公園4-2-8", "中央区銀座1-2-3\r\n銀座ビル5階",
                                      "北区梅田3-1-1"};
constexpr const char* kJaCities[] = {"東京都", "大阪市", "京都市", "札幌市"};
constexpr const char* kJaStates[] = {"東京", "大阪府", "京都府", "北海道"};
constexpr const char* kJaZips[] = {"105-0011", "104-0061", "530-0001", "060-0001"};
constexpr const char* kJaCountries[] = {"日本"};
constexpr const char* kJaDomains[] = {"example.jp", "example.co.jp"};

constexpr const char* kZhFirst[] = {"志明", "偉", "美玲", "小明", "淑芬"};
constexpr const char* kZhLast[] = {"陳", "張", "林", "王", "黄"};
constexpr const char* kZhCompanies[] = {"台北貿易有限公司", "香港電子集團"};
constexpr const char* kZhTitles[] = {"総経理", "経理"};
constexpr const char* kZhStreets[] = {"信義路五段7号", "皇后大道中99号"};
constexpr const char* kZhCities[] = {"台北市", "香港"};
constexpr const char* kZhStates[] = {"", ""};
constexpr const char* kZhZips[] = {"110", ""};
constexpr const char* kZhCountries[] = {"台湾", "中国"};
constexpr const char* kZhDomains[] = {"example.tw", "example.hk"};

constexpr const char* kRuFirst[] = {"Сергей", "Анна", "Дмитрий", "Ольга", "Алексей", "Юлия"};
constexpr const char* kRuLast[] = {"Иванов",    "Петрова", "Смирнов",
                                   "Кузнецова", "Попов",   "Соколова"};
constexpr const char* kRuCompanies[] = {"ООО \"Ромашка\"", "АО Северсталь-Трейд", "ИП Попов"};
constexpr const char* kRuTitles[] = {"Генеральный директор", "Бухгалтер", "Менеджер"};
constexpr const char* kRuStreets[] = {"ул. Тверская, д. 7, кв. 12", "Невский пр., 28"};
constexpr const char* kRuCities[] = {"Москва", "Санкт-Петербург", "Новосибирск"};
constexpr const char* kRuStates[] = {"", "", "Новосибирская обл."};
constexpr const char* kRuZips[] = {"125009", "191186", "630099"};
constexpr const char* kRuCountries[] = {"Россия"};
constexpr const char* kRuDomains[] = {"example.ru"};

constexpr const char* kElFirst[] = {"ΓΙΩΡΓΟΣ", "ΕΛΕΝΗ", "ΝΙΚΟΣ", "ΜΑΡΙΑ", "ΔΗΜΗΤΡΗΣ"};
constexpr const char* kElLast[] = {"ΠΑΠΑΔΟΠΟΥΛΟΣ", "ΝΙΚΟΛΑΟΥ", "ΚΩΝΣΤΑΝΤΙΝΙΔΗΣ", "ΓΕΩΡΓΙΟΥ"};
constexpr const char* kElCompanies[] = {"ΑΘΗΝΑ Α.Ε.", "ΟΛΥΜΠΟΣ ΕΠΕ"};
constexpr const char* kElTitles[] = {"ΔΙΕΥΘΥΝΤΗΣ", "ΛΟΓΙΣΤΡΙΑ"};
constexpr const char* kElStreets[] = {"ΕΡΜΟΥ 15", "ΤΣΙΜΙΣΚΗ 42"};
constexpr const char* kElCities[] = {"ΑΘΗΝΑ", "ΘΕΣΣΑΛΟΝΙΚΗ"};
constexpr const char* kElStates[] = {"ΑΤΤΙΚΗ", ""};
constexpr const char* kElZips[] = {"105 63", "546 24"};
constexpr const char* kElCountries[] = {"ΕΛΛΑΔΑ"};
constexpr const char* kElDomains[] = {"example.gr"};

constexpr const char* kEnFirst[] = {"John", "Mary", "Robert", "Linda", "Kenji", "Olga"};
constexpr const char* kEnLast[] = {"Smith", "O'Brien", "Johnson-Lee", "Walker", "Nakamura"};
constexpr const char* kEnCompanies[] = {"Acme Corp.", "Pacific Rim Imports Ltd."};
constexpr const char* kEnTitles[] = {"Sales Manager", "CFO"};
constexpr const char* kEnStreets[] = {"1600 Main Street\r\nSuite 200", "22 Baker St."};
constexpr const char* kEnCities[] = {"Seattle", "London"};
constexpr const char* kEnStates[] = {"WA", ""};
constexpr const char* kEnZips[] = {"98101", "NW1 6XE"};
constexpr const char* kEnCountries[] = {"USA", "United Kingdom"};
constexpr const char* kEnDomains[] = {"example.com", "example.co.uk"};

constexpr Script kWorldScripts[] = {
    {kJaFirst, kJaLast, kJaCompanies, kJaTitles, kJaStreets, kJaCities, kJaStates, kJaZips,
     kJaCountries, kJaDomains},
    {kZhFirst, kZhLast, kZhCompanies, kZhTitles, kZhStreets, kZhCities, kZhStates, kZhZips,
     kZhCountries, kZhDomains},
    {kRuFirst, kRuLast, kRuCompanies, kRuTitles, kRuStreets, kRuCities, kRuStates, kRuZips,
     kRuCountries, kRuDomains},
    {kElFirst, kElLast, kElCompanies, kElTitles, kElStreets, kElCities, kElStates, kElZips,
     kElCountries, kElDomains},
    {kEnFirst, kEnLast, kEnCompanies, kEnTitles, kEnStreets, kEnCities, kEnStates, kEnZips,
     kEnCountries, kEnDomains},
};

struct Diary {
  Pool subjects, allDay, yearly, locations, notes, todos, memoTitles, memoLines, categories;
  Pool customLabels, customValues;
};

constexpr const char* kLatinSubjects[] = {"Réunion d’équipe",      "Zahnarzt – Dr. Müller",
                                          "Déjeuner avec Zoë",     "Board meeting",
                                          "Cours de piano",        "Yoga",
                                          "Entrevista con Begoña", "Telefonkonferenz",
                                          "Café à 10 h",           "Budget 2010 – révision",
                                          "Physiothérapie",        "Kundentermin Köln",
                                          "Séance photo"};
constexpr const char* kLatinAllDay[] = {"Congés", "Salon professionnel", "Betriebsausflug",
                                        "Jour férié", "Umzug"};
constexpr const char* kLatinYearly[] = {"Anniversaire de Chloé", "Geburtstag Jürgen",
                                        "Hochzeitstag", "Aniversário da Inês", "Fête nationale"};
constexpr const char* kLatinLocations[] = {"Salle Mozart, 3e étage", "Büro Köln", "Café de Flore",
                                           "Zoom? – nein, Raum 2.14", "Hôtel-Dieu"};
constexpr const char* kLatinNotes[] = {
    "Apporter le dossier « Lefèvre ».\r\nNe pas oublier : clé USB, câble.",
    "Tagesordnung:\r\n1. Begrüßung\r\n2. Umsatz Q3 (+12 %)\r\n3. Verschiedenes",
    "Precio acordado: 1.250 € – pagar antes del día 15.",
    "Code porte : 4711B\r\nParking sous-sol, niveau –2.", "« Ça ira » — dit-il… ‰ ™ • Œuvre"};
constexpr const char* kLatinTodos[] = {"Rückruf Frau Weiß", "Payer la facture EDF",
                                       "Renovar pasaporte", "Steuererklärung abgeben",
                                       "Acheter du pain",   "Geschenk für Käthe"};
constexpr const char* kLatinMemoTitles[] = {"Liste de courses", "Rezept: Käsespätzle",
                                            "Idées cadeaux", "Códigos Wi-Fi", "Bücherliste"};
constexpr const char* kLatinMemoLines[] = {
    "• crème fraîche", "– 200 g Käse", "½ litre de lait",     "Señal: «ÑANDÚ»",
    "Ærøskøbing",      "© 2009",       "Mot de passe : ****", "Große Zwiebeln (2)"};
constexpr const char* kLatinCategories[] = {"Business", "Personal", "Clients", "Privé"};
constexpr const char* kLatinCustomLabels[] = {"Anniversaire",    "Conjoint",      "N° client",
                                              "Geburtstag",      "Assistent(in)", "Kunde seit",
                                              "Recomendado por", "Enfants",       "Loisirs"};
constexpr const char* kLatinCustomValues[] = {"12.03.1975",   "Renée",     "C-0042",
                                              "Ski, Wandern", "seit 1998", "Zoë & Noël"};

constexpr const char* kWorldSubjects[] = {
    "会議",     "歯医者",         "Встреча с клиентом", "ΣΥΝΑΝΤΗΣΗ", "東京出張",
    "Планёрка", "Call with John", "打ち合わせ（大阪）", "Обед"};
constexpr const char* kWorldAllDay[] = {"休暇", "Командировка", "ΑΡΓΙΑ", "展示会"};
constexpr const char* kWorldYearly[] = {"母の誕生日", "День рождения Анны", "結婚記念日",
                                        "ΟΝΟΜΑΣΤΙΚΗ ΓΙΟΡΤΗ"};
constexpr const char* kWorldLocations[] = {"本社 3F 会議室", "Офис, каб. 305", "ΑΙΘΟΥΣΑ Β"};
constexpr const char* kWorldNotes[] = {
    "資料を持参すること。\r\n駐車場：地下2階", "Не забыть: договор № 17-Б\r\nи печать.",
    "ΘΕΜΑ: ΠΡΟΥΠΟΛΟΓΙΣΜΟΣ", "半角カナ: ﾃｽﾄ ﾒﾓ", "Agenda:\r\n- budget\r\n- 予算"};
constexpr const char* kWorldTodos[] = {"報告書を提出", "Позвонить Ивановой", "牛乳を買う",
                                       "ΠΛΗΡΩΜΗ ΕΝΟΙΚΙΟΥ", "Renew passport"};
constexpr const char* kWorldMemoTitles[] = {"買い物リスト", "Рецепт борща", "パスワード",
                                            "ΣΗΜΕΙΩΣΕΙΣ"};
constexpr const char* kWorldMemoLines[] = {"・卵 10個", "- свёкла 2 шт.", "・醤油",
                                           "- ΨΩΜΙ",    "ﾊﾝｶｸ ｶﾀｶﾅ",      "- сметана"};
constexpr const char* kWorldCategories[] = {"仕事", "Семья", "ΦΙΛΟΙ"};
constexpr const char* kWorldCustomLabels[] = {"誕生日", "Супруг(а)", "ΚΩΔΙΚΟΣ", "紹介者"};
constexpr const char* kWorldCustomValues[] = {"1975年3月12日", "Ольга", "A-17", "田中様"};

constexpr Diary kLatinDiary = {kLatinSubjects,     kLatinAllDay,      kLatinYearly,
                               kLatinLocations,    kLatinNotes,       kLatinTodos,
                               kLatinMemoTitles,   kLatinMemoLines,   kLatinCategories,
                               kLatinCustomLabels, kLatinCustomValues};
constexpr Diary kWorldDiary = {kWorldSubjects,     kWorldAllDay,      kWorldYearly,
                               kWorldLocations,    kWorldNotes,       kWorldTodos,
                               kWorldMemoTitles,   kWorldMemoLines,   kWorldCategories,
                               kWorldCustomLabels, kWorldCustomValues};

constexpr const char* kPhoneForms[] = {"+33 1 42 68 53 {}", "(0221) 123-{}", "555-01{} x12",
                                       "+7 495 123-45-{}",  "03-1234-{}",    "+30 210 32{}"};
constexpr const char* kMailNames[] = {"info", "office", "kontakt", "sales", "contact", "home"};

std::string Digits(Rng& rng, int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += static_cast<char>('0' + rng.Below(10));
  return s;
}

std::string PhoneNumber(Rng& rng) {
  std::string form = rng.Pick(Pool(kPhoneForms));
  return form.replace(form.find("{}"), 2, Digits(rng, 2));
}

std::string Mail(Rng& rng, const Script& s, std::size_t n) {
  return std::string(rng.Pick(Pool(kMailNames))) + "." + std::to_string(n) + "@" +
         rng.Pick(s.domains);
}

// A note of about `bytes` bytes made of the pool's lines.
std::string LongText(Rng& rng, Pool lines, std::size_t bytes) {
  std::string text;
  while (text.size() < bytes) {
    if (!text.empty()) text += "\r\n";
    text += rng.Pick(lines);
  }
  return text;
}

// ---- the neutral people and diary entries, then each layout's records

struct Address {
  std::string street, city, state, zip, country;
};

struct Person {
  std::string first, last, title, company, note, im, web;
  std::vector<std::pair<std::int32_t, std::string>> phones;  // label, text
  Address work, home, other;
  std::array<std::string, 9> custom;
  std::int32_t category = 0;
  bool isPrivate = false;
  double birthday = 0;
};

Address MakeAddress(Rng& rng, const Script& s) {
  const int city = rng.Below(static_cast<int>(s.cities.size()));
  auto at = [&](Pool p) { return std::string(p[static_cast<std::size_t>(city) % p.size()]); };
  return {rng.Pick(s.streets), at(s.cities), at(s.states), at(s.zips), at(s.countries)};
}

Person MakePerson(Rng& rng, std::span<const Script> scripts, const Diary& diary, std::size_t n,
                  std::size_t phoneSlots) {
  const Script& s = scripts[n % scripts.size()];
  Person p;
  p.first = rng.OneIn(12) ? "" : rng.Pick(s.first);
  p.last = rng.Pick(s.last);
  if (rng.OneIn(3)) p.title = rng.Pick(s.titles);
  if (rng.OneIn(2) || p.first.empty()) p.company = rng.Pick(s.companies);
  // Every label turns up; some people have two e-mail addresses or two work numbers.
  static constexpr std::int32_t kLabels[] = {kPmPhoneWork,  kPmPhoneHome,  kPmPhoneFax,
                                             kPmPhoneOther, kPmPhoneEmail, kPmPhoneMain,
                                             kPmPhonePager, kPmPhoneMobile};
  const std::size_t count = 1 + static_cast<std::size_t>(rng.Below(static_cast<int>(phoneSlots)));
  for (std::size_t i = 0; i < count; ++i) {
    std::int32_t label = kLabels[(n + i * 3) % 8];
    if (i > 0 && rng.OneIn(6)) label = p.phones.front().first;
    p.phones.emplace_back(label, label == kPmPhoneEmail ? Mail(rng, s, n) : PhoneNumber(rng));
  }
  p.work = MakeAddress(rng, s);
  if (rng.OneIn(2)) p.home = MakeAddress(rng, s);
  if (rng.OneIn(6)) p.other = MakeAddress(rng, s);
  if (rng.OneIn(3)) p.note = rng.Pick(diary.notes);
  if (n % 40 == 7)
    p.note = LongText(rng, diary.memoLines, 600 + static_cast<std::size_t>(rng.Below(900)));
  for (std::size_t i = 0; i < p.custom.size(); ++i)
    if (rng.OneIn(4)) p.custom[i] = rng.Pick(diary.customValues);
  if (rng.OneIn(5)) p.im = "im_" + std::to_string(n);
  if (rng.OneIn(5))
    p.web = "http://www." + std::string(rng.Pick(s.domains)) + "/~" + std::to_string(n);
  if (rng.OneIn(4)) p.birthday = 25000 + rng.Below(9000);  // an OLE date, 1968 to 1993
  p.category = rng.Below(static_cast<int>(diary.categories.size()) + 1);
  p.isPrivate = rng.OneIn(10);
  return p;
}

struct Event {
  int day = 0;  // day number of the start
  int hour = 0, minute = 0, minutes = 0;
  bool untimed = false;
  std::string subject, note, location;
  bool alarm = false;
  std::int32_t advance = 0, unit = 0;
  PmRepeat repeat;
  std::int32_t category = 0;
  bool isPrivate = false;
};

// The `k`-th occurrence after the start, as a day number; 0 when there is none to name.
int Occurrence(const Event& e, int k) {
  const PmRepeat& r = e.repeat;
  const Ymd c = CivilFromDays(e.day);
  switch (r.kind) {
    case PmRepeat::kDaily:
      return e.day + k * r.interval;
    case PmRepeat::kWeekly:
      return e.day + 7 * k * r.interval;
    case PmRepeat::kMonthlyByDate: {
      const Ymd m = AddMonths(c.y, c.m, k * r.interval);
      return r.dayNumber <= DaysInMonth(m.y, m.m) ? DaysFromCivil(m.y, m.m, r.dayNumber) : 0;
    }
    case PmRepeat::kMonthlyByWeekday: {
      const Ymd m = AddMonths(c.y, c.m, k * r.interval);
      return NthWeekday(m.y, m.m, r.dayIndex, r.weekIndex);
    }
    case PmRepeat::kYearlyByDate:
      return c.m == 2 && c.d == 29 ? 0 : DaysFromCivil(c.y + k * r.interval, c.m, c.d);
    default:
      return 0;
  }
}

// Period of one step of the rule in days, roughly, for choosing end dates.
int StepDays(const PmRepeat& r) {
  switch (r.kind) {
    case PmRepeat::kDaily:
      return r.interval;
    case PmRepeat::kWeekly:
      return 7 * r.interval;
    case PmRepeat::kMonthlyByDate:
    case PmRepeat::kMonthlyByWeekday:
      return 30 * r.interval;
    default:
      return 365 * std::max(r.interval, 1);
  }
}

void Repeat(Rng& rng, Event& e, std::int32_t kind, std::int32_t interval, std::int32_t weekStart) {
  PmRepeat& r = e.repeat;
  r.kind = kind;
  r.interval = interval;
  r.firstDayOfWeek = weekStart;
  r.dayIndex = Weekday(e.day);
  const Ymd c = CivilFromDays(e.day);
  if (kind == PmRepeat::kMonthlyByDate || kind == PmRepeat::kYearlyByDate) r.dayNumber = c.d;
  if (kind == PmRepeat::kYearlyByDate || kind == PmRepeat::kYearlyByWeekday) r.monthIndex = c.m - 1;
  int endDay = 0;
  if (rng.OneIn(2)) {
    r.endDate = PalmNoDate();
  } else {
    endDay = e.day + StepDays(r) * (2 + rng.Below(kind == PmRepeat::kDaily ? 40 : 20));
    r.endDate = PalmAt(endDay);
  }
  if (rng.OneIn(3)) {
    for (int k = 1 + rng.Below(2); k <= 6 && r.exceptions.size() < 3; k += 1 + rng.Below(3)) {
      const int day = Occurrence(e, k);
      if (day > e.day && (endDay == 0 || day < endDay)) r.exceptions.push_back(PalmAt(day));
    }
  }
}

Event MakeEvent(Rng& rng, const Diary& diary, std::size_t n, std::int32_t weekStart,
                bool categories) {
  Event e;
  e.day = DaysFromCivil(2008, 9, 1) + rng.Below(900);
  e.hour = 7 + rng.Below(12);
  e.minute = 15 * rng.Below(4);
  e.minutes = 30 * (1 + rng.Below(4));
  e.subject = rng.Pick(diary.subjects);
  const int shape = static_cast<int>(n % 12);
  switch (shape) {
    case 1:
      e.location = rng.Pick(diary.locations);
      break;
    case 2:
      e.untimed = true;
      e.subject = rng.Pick(diary.allDay);
      break;
    case 3:
      Repeat(rng, e, PmRepeat::kDaily,
             std::array{1, 1, 2, 3}[static_cast<std::size_t>(rng.Below(4))], weekStart);
      break;
    case 4:
    case 5: {
      static constexpr std::uint8_t kMasks[] = {0x2A, 0x14, 0x3E, 0x02, 0x40, 0x41, 0x08};
      const std::uint8_t mask = shape == 5 ? static_cast<std::uint8_t>(1u << Weekday(e.day))
                                           : kMasks[static_cast<std::size_t>(rng.Below(7))];
      while (!(mask & (1u << Weekday(e.day)))) ++e.day;
      Repeat(rng, e, PmRepeat::kWeekly, shape == 5 ? 2 : 1 + rng.Below(2), weekStart);
      e.repeat.dayMask = mask;
      break;
    }
    case 6: {
      const Ymd c = CivilFromDays(e.day);
      if (rng.OneIn(4)) e.day = DaysFromCivil(c.y, c.m, 31 <= DaysInMonth(c.y, c.m) ? 31 : 1);
      Repeat(rng, e, PmRepeat::kMonthlyByDate,
             std::array{1, 1, 3, 6}[static_cast<std::size_t>(rng.Below(4))], weekStart);
      break;
    }
    case 7:
    case 8: {
      const Ymd c = CivilFromDays(e.day);
      // Each week of the month in turn, so that a few dozen events hold them all.
      const int week = shape == 8 ? 4 : static_cast<int>(n / 12 % 4);
      e.day = NthWeekday(c.y, c.m, rng.Below(7), week);
      Repeat(rng, e, PmRepeat::kMonthlyByWeekday, 1 + rng.Below(2), weekStart);
      e.repeat.weekIndex = week;
      break;
    }
    case 9:
      e.untimed = true;
      e.subject = rng.Pick(diary.yearly);
      Repeat(rng, e, PmRepeat::kYearlyByDate, 1, weekStart);
      e.repeat.endDate = PalmNoDate();
      break;
    case 11:
      // Palm Desktop's yearly-by-weekday rule, which handhelds never made; rare in real files.
      if (n % 24 == 11) {
        Repeat(rng, e, PmRepeat::kYearlyByWeekday, 1, weekStart);
      } else {
        Repeat(rng, e, PmRepeat::kWeekly, 1, weekStart);
        e.repeat.dayMask = static_cast<std::uint8_t>(1u << Weekday(e.day));
      }
      break;
    default:
      break;
  }
  if (rng.OneIn(2)) {
    static constexpr std::int32_t kAlarms[][2] = {{5, 0}, {10, 0}, {15, 0}, {30, 0},
                                                  {1, 1}, {2, 1},  {1, 2},  {3, 2}};
    const auto& a = kAlarms[rng.Below(8)];
    e.alarm = true;
    e.advance = a[0];
    e.unit = a[1];
  }
  if (rng.OneIn(3)) e.note = rng.Pick(diary.notes);
  if (n % 25 == 13)
    e.note = LongText(rng, diary.memoLines, 300 + static_cast<std::size_t>(rng.Below(1200)));
  if (categories) e.category = rng.Below(static_cast<int>(diary.categories.size()) + 1);
  e.isPrivate = rng.OneIn(12);
  return e;
}

std::int32_t StartOf(const Event& e) {
  return e.untimed ? PalmAt(e.day) : PalmAt(e.day, e.hour, e.minute);
}
std::int32_t EndOf(const Event& e) {
  return e.untimed ? PalmAt(e.day) : PalmAt(e.day, e.hour, e.minute + e.minutes);
}

struct UserPlan {
  PmDemoUser user;
  std::span<const Script> scripts;
  const Diary* diary;
  std::int32_t weekStart;
  std::string windowsFolder;  // where Palm Desktop kept it, as written into the files
};

template <class Loader>
void AddCategories(Loader& db, Encoder& enc, Pool names) {
  PmCategoryMgr& cats = db.EnsureCategories();
  for (std::size_t i = 0; i < names.size(); ++i) {
    // Business and Personal are Palm's own (ids 1 and 2); the user's own start at 128.
    const auto id = static_cast<std::int32_t>(i < 2 ? i + 1 : 128 + (i - 2));
    cats.Add({static_cast<std::int32_t>(i + 1), id, enc(names[i], 16), "", 0});
    cats.SetNextFreeId(std::max(cats.NextFreeId(), id + 1));
  }
}

// Category value of a record: 0 Unfiled, else the id of category n.
std::int32_t CategoryId(std::int32_t n) {
  return n <= 0 ? 0 : (n <= 2 ? n : 128 + (n - 3));
}

// Adds `count` deleted or archived copies of records at random places, in one pass.
template <class Rec>
void Hide(std::vector<Rec>& records, Rng& rng, std::size_t count, std::size_t& hidden) {
  if (records.empty()) return;
  const int size = static_cast<int>(records.size());
  std::vector<std::pair<std::size_t, Rec>> extra;
  for (std::size_t i = 0; i < count; ++i) {
    Rec copy = records[static_cast<std::size_t>(rng.Below(size))];
    copy.status = (i % 2 == 0) ? kPmStatusDeleted : kPmStatusArchived;
    extra.emplace_back(static_cast<std::size_t>(rng.Below(size + 1)), std::move(copy));
  }
  std::stable_sort(extra.begin(), extra.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<Rec> merged;
  merged.reserve(records.size() + extra.size());
  std::size_t e = 0;
  for (std::size_t i = 0; i <= records.size(); ++i) {
    while (e < extra.size() && extra[e].first == i) merged.push_back(std::move(extra[e++].second));
    if (i < records.size()) merged.push_back(std::move(records[i]));
  }
  hidden += extra.size();
  records = std::move(merged);
}

// Record ids, positions and, in layout 2, the bookkeeping fields, in final file order.
template <class Loader>
void Number(Loader& db, std::int32_t idBase) {
  std::int32_t i = 0;
  for (auto& rec : db.Records()) {
    rec.recordId = idBase + i;
    rec.position = i;
    if constexpr (requires { rec.field3; }) {
      rec.field1 = 0x1000 + i;
      rec.field3 = i * db.Schema().fieldsPerRow;
    }
    ++i;
  }
}

bool Save(PmDBUtil& db, const fs::path& path, const std::string& windowsName, std::string& error) {
  std::error_code ec;
  fs::create_directories(path.parent_path(), ec);
  db.Header().fileName = windowsName;
  PmFileSink sink(path.string());
  bool ok = sink.IsOpen() && db.Save(sink);
  ok = sink.Close() && ok;
  if (!ok) error = "could not write " + path.string();
  return ok;
}

std::size_t HiddenShare(std::size_t live) {
  return live / 40 + 1;
}

bool WriteAddress(const UserPlan& plan, Rng& rng, Encoder& enc, const fs::path& dir,
                  PmDemoUser& user, std::string& error) {
  const Diary& d = *plan.diary;
  const std::string win = plan.windowsFolder + "\\address\\address.dat";
  std::vector<Person> people;
  const std::size_t phoneSlots = user.layout == 2 ? 7 : 5;
  // Two people of one name without an e-mail address would be one contact to the comparison
  // (name and first e-mail are its keys): the second gets an address of its own.
  std::set<std::pair<std::string, std::string>> unmailed;
  for (std::size_t n = 0; n < user.contacts; ++n) {
    Person p = MakePerson(rng, plan.scripts, d, n, phoneSlots);
    const bool mailed = std::any_of(p.phones.begin(), p.phones.end(),
                                    [](const auto& ph) { return ph.first == kPmPhoneEmail; });
    if (!mailed && !unmailed.emplace(p.first, p.last).second) {
      auto mail = std::make_pair(std::int32_t{kPmPhoneEmail},
                                 Mail(rng, plan.scripts[n % plan.scripts.size()], n));
      if (p.phones.size() < phoneSlots)
        p.phones.push_back(std::move(mail));
      else
        p.phones.back() = std::move(mail);
    }
    people.push_back(std::move(p));
  }
  if (user.layout == 2) {
    PmAddrExUtil db;
    AddCategories(db, enc, d.categories);
    for (std::size_t i = 0; i < 9; ++i)
      db.Header().labels.push_back({enc(d.customLabels[i % d.customLabels.size()], 256), 0});
    for (const Person& p : people) {
      PmAddrExRecord r{};
      r.firstName = enc(p.first, 32);
      r.lastName = enc(p.last, 32);
      r.title = enc(p.title, 32);
      r.company = enc(p.company, 256);
      for (std::size_t i = 0; i < p.phones.size() && i < PmAddrExRecord::kPhones; ++i) {
        r.phoneLabel[i] = p.phones[i].first;
        r.phone[i] = enc(p.phones[i].second, 32);
      }
      for (std::size_t i = p.phones.size(); i < PmAddrExRecord::kPhones; ++i)
        r.phoneLabel[i] = static_cast<std::int32_t>(i);
      r.primaryContact = p.phones.front().first;
      r.note = enc(p.note, 2048);
      for (std::size_t i = 0; i < 9; ++i) r.custom[i] = enc(p.custom[i], 256);
      const std::pair<PmPostalAddress*, const Address*> addresses[] = {
          {&r.work, &p.work}, {&r.home, &p.home}, {&r.other, &p.other}};
      for (auto [to, from] : addresses) {
        to->street = enc(from->street, 256);
        to->city = enc(from->city, 32);
        to->state = enc(from->state, 32);
        to->zip = enc(from->zip, 32);
        to->country = enc(from->country, 32);
      }
      if (!p.im.empty()) {
        r.messaging[0] = enc(p.im, 32);
        r.messagingKind[0] = 1 + rng.Below(5);
      }
      r.homePage = enc(p.web, 256);
      r.birthday = p.birthday;
      r.categoryId = CategoryId(p.category);
      r.isPrivate = p.isPrivate;
      db.Records().push_back(std::move(r));
    }
    Hide(db.Records(), rng, HiddenShare(user.contacts), user.hidden);
    Number(db, 0x00410001);
    return Save(db, dir / "address" / "address.dat", win, error);
  }
  PmAddrUtil db;
  AddCategories(db, enc, d.categories);
  std::string labels;
  for (std::size_t i = 0; i < 4; ++i)
    labels += enc(d.customLabels[i % d.customLabels.size()], 64) + "\n";
  db.Header().tableString = labels;
  for (const Person& p : people) {
    PmAddrRecord r{};
    r.firstName = enc(p.first, 32);
    r.lastName = enc(p.last, 32);
    r.title = enc(p.title, 32);
    r.company = enc(p.company, 256);
    for (std::size_t i = 0; i < PmAddrRecord::kPhones; ++i) {
      r.phoneLabel[i] = i < p.phones.size() ? p.phones[i].first : static_cast<std::int32_t>(i);
      if (i < p.phones.size()) r.phone[i] = enc(p.phones[i].second, 32);
    }
    r.primaryContact = p.phones.front().first;
    r.street = enc(p.work.street, 256);
    r.city = enc(p.work.city, 32);
    r.state = enc(p.work.state, 32);
    r.zip = enc(p.work.zip, 32);
    r.country = enc(p.work.country, 32);
    r.note = enc(p.note, 8192);
    for (std::size_t i = 0; i < 4; ++i) r.custom[i] = enc(p.custom[i], 64);
    r.categoryId = CategoryId(p.category);
    r.isPrivate = p.isPrivate;
    db.Records().push_back(std::move(r));
  }
  Hide(db.Records(), rng, HiddenShare(user.contacts), user.hidden);
  Number(db, 0x00410001);
  return Save(db, dir / "address" / "address.dat", win, error);
}

bool WriteDatebook(const UserPlan& plan, Rng& rng, Encoder& enc, const fs::path& dir,
                   PmDemoUser& user, std::string& error) {
  const Diary& d = *plan.diary;
  const std::string win = plan.windowsFolder + "\\datebook\\datebook.dat";
  std::vector<Event> events;
  // Subject, start and end are an event's keys to the comparison: two events alike in all three
  // would be one event in the account, so a repeated one is drawn again.
  std::set<std::tuple<std::string, int, int, int, int, bool>> keys;
  for (std::size_t n = 0; n < user.events; ++n) {
    Event e;
    for (int attempt = 0; attempt < 20; ++attempt) {
      e = MakeEvent(rng, d, n, plan.weekStart, user.layout == 2);
      // An untimed event runs the whole day whatever its hour says.
      const int h = e.untimed ? 0 : e.hour, m = e.untimed ? 0 : e.minute;
      const int len = e.untimed ? 0 : e.minutes;
      if (keys.emplace(e.subject, e.day, h, m, len, e.untimed).second) break;
    }
    events.push_back(std::move(e));
  }
  if (user.layout == 2) {
    PmDateExUtil db;
    AddCategories(db, enc, d.categories);
    for (const Event& e : events) {
      PmDateExRecord r{};
      r.start = StartOf(e);
      r.end = EndOf(e);
      r.description = enc(e.subject, 256);
      r.note = enc(e.note, 8192);
      r.location = enc(e.location, 256);
      r.untimed = e.untimed;
      r.alarmSet = e.alarm;
      r.alarmAdvance = e.advance;
      r.alarmUnit = e.unit;
      r.repeat = e.repeat;
      r.categoryId = CategoryId(e.category);
      r.isPrivate = e.isPrivate;
      db.Records().push_back(std::move(r));
    }
    Hide(db.Records(), rng, HiddenShare(user.events), user.hidden);
    Number(db, 0x00420001);
    return Save(db, dir / "datebook" / "datebook.dat", win, error);
  }
  PmDateUtil db;
  AddCategories(db, enc, d.categories);
  for (const Event& e : events) {
    PmDateRecord r{};
    r.start = StartOf(e);
    r.end = EndOf(e);
    r.duration = e.untimed ? 0 : e.minutes;
    r.description = enc(e.subject, 512);
    r.note = enc(e.note, 8192);
    r.untimed = e.untimed;
    r.alarmSet = e.alarm;
    r.alarmAdvance = e.advance;
    r.alarmUnit = e.unit;
    r.repeat = e.repeat;
    r.isPrivate = e.isPrivate;
    db.Records().push_back(std::move(r));
  }
  Hide(db.Records(), rng, HiddenShare(user.events), user.hidden);
  // Palm Desktop before 4.1.2 leaves entries it could not schedule with a start of -1.
  for (int i = 0; i < 2 && !db.Records().empty(); ++i) {
    PmDateRecord r = db.Records()[static_cast<std::size_t>(i)];
    r.start = -1;
    db.Records().insert(db.Records().begin() + 1 + i * 3, std::move(r));
    ++user.hidden;
  }
  Number(db, 0x00420001);
  return Save(db, dir / "datebook" / "datebook.dat", win, error);
}

bool WriteTodos(const UserPlan& plan, Rng& rng, Encoder& enc, const fs::path& dir, PmDemoUser& user,
                std::string& error) {
  const Diary& d = *plan.diary;
  const std::string win = plan.windowsFolder + "\\todo\\todo.dat";
  auto due = [&](std::size_t) {
    return rng.OneIn(4) ? PalmNoDate() : PalmAt(DaysFromCivil(2009, 1, 1) + rng.Below(700));
  };
  if (user.layout == 2) {
    PmTodoExUtil db;
    AddCategories(db, enc, d.categories);
    for (std::size_t n = 0; n < user.todos; ++n) {
      PmTodoExRecord r{};
      r.description = enc(rng.Pick(d.todos), 256);
      r.dueDate = due(n);
      r.completed = rng.OneIn(3);
      r.completionDate = r.completed ? r.dueDate : PalmNoDate();
      r.priority = 1 + rng.Below(5);
      if (rng.OneIn(3)) r.note = enc(rng.Pick(d.notes), 8192);
      r.alarmSet = rng.OneIn(6) && !PmTime::IsNoDate(r.dueDate);
      r.alarmTime = r.alarmSet ? r.dueDate - 86400 + 9 * 3600 : PalmNoDate();
      r.date23 = PalmNoDate();
      if (n % 10 == 3 && !PmTime::IsNoDate(r.dueDate)) {
        r.repeat.kind = PmRepeat::kWeekly;
        r.repeat.interval = 1;
        r.repeat.endDate = PalmNoDate();
        r.repeat.firstDayOfWeek = plan.weekStart;
        r.repeat.dayMask = 0x02;
        r.repeat.dayIndex = 1;
      }
      r.categoryId = CategoryId(rng.Below(4));
      r.isPrivate = rng.OneIn(10);
      db.Records().push_back(std::move(r));
    }
    Hide(db.Records(), rng, HiddenShare(user.todos), user.hidden);
    Number(db, 0x00430001);
    return Save(db, dir / "todo" / "todo.dat", win, error);
  }
  PmTodoUtil db;
  AddCategories(db, enc, d.categories);
  for (std::size_t n = 0; n < user.todos; ++n) {
    PmTodoRecord r{};
    r.description = enc(rng.Pick(d.todos), 8192);
    r.dueDate = due(n);
    r.completed = rng.OneIn(3);
    r.priority = 1 + rng.Below(5);
    r.isPrivate = rng.OneIn(10);
    r.categoryId = CategoryId(rng.Below(4));
    if (rng.OneIn(3)) r.note = enc(rng.Pick(d.notes), 8192);
    db.Records().push_back(std::move(r));
  }
  // Layout-1 readers drop deleted and archived to-dos as they load; they are still in the file.
  Hide(db.Records(), rng, HiddenShare(user.todos), user.hidden);
  Number(db, 0x00430001);
  return Save(db, dir / "todo" / "todo.dat", win, error);
}

bool WriteMemos(const UserPlan& plan, Rng& rng, Encoder& enc, const fs::path& dir, PmDemoUser& user,
                std::string& error) {
  const Diary& d = *plan.diary;
  const std::string win = plan.windowsFolder + "\\memopad\\memopad.dat";
  auto text = [&](std::size_t n) {
    std::string t = rng.Pick(d.memoTitles);
    const std::size_t bytes = n % 12 == 5 ? 3000 + static_cast<std::size_t>(rng.Below(3000))
                                          : 20 + static_cast<std::size_t>(rng.Below(200));
    return enc(t + "\r\n" + LongText(rng, d.memoLines, bytes), 8192);
  };
  // Both layouts hold the same memo fields.
  auto write = [&](auto db) {
    using Record = typename std::decay_t<decltype(db.Records())>::value_type;
    AddCategories(db, enc, d.categories);
    for (std::size_t n = 0; n < user.memos; ++n) {
      Record r{};
      r.text = text(n);
      r.categoryId = CategoryId(rng.Below(4));
      r.isPrivate = rng.OneIn(8);
      db.Records().push_back(std::move(r));
    }
    Hide(db.Records(), rng, HiddenShare(user.memos), user.hidden);
    Number(db, 0x00440001);
    return Save(db, dir / "memopad" / "memopad.dat", win, error);
  };
  return user.layout == 2 ? write(PmMemoExUtil{}) : write(PmMemoUtil{});
}

// Users.dat: Palm Desktop's archive of CUser objects, each followed by its conduit settings.
std::string UsersDat(const std::vector<PmDemoUser>& users) {
  std::string b;
  auto u16 = [&](std::uint32_t v) {
    b += static_cast<char>(v & 0xFF);
    b += static_cast<char>((v >> 8) & 0xFF);
  };
  auto str = [&](const std::string& s) {
    b += static_cast<char>(s.size());  // names and folders stay below 255 bytes
    b += s;
  };
  u16(static_cast<std::uint32_t>(users.size()));
  u16(0xFFFF);
  u16(1);
  u16(5);
  b += "CUser";
  for (std::size_t i = 0; i < users.size(); ++i) {
    if (i > 0) u16(0x8001);
    const auto id = static_cast<std::uint32_t>(users[i].id);
    u16(id);
    u16(id >> 16);
    str(users[i].name);
    str(users[i].folder);
    // Conduit settings: one conduit entry per database, opaque to us.
    u16(4);
    for (const char* conduit : {"address", "datebook", "todo", "memopad"}) {
      u16(static_cast<std::uint32_t>(std::string_view(conduit).size()));
      b += conduit;
      u16(1);  // synchronise
      u16(0);
    }
  }
  return b;
}

bool WriteFile(const fs::path& path, const std::string& bytes, std::string& error) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) error = "could not write " + path.string();
  return static_cast<bool>(out);
}

}  // namespace

bool WritePalmDemoInstallation(const std::string& folder, const PmDemoOptions& options,
                               PmDemoInstallation& out, std::string& error) {
  out = PmDemoInstallation{};
  std::vector<UserPlan> plans;
  {
    UserPlan p;
    p.user = {1,
              "Claire Martin",
              "MartinC",
              2,
              1252,
              options.contacts,
              options.events,
              options.todos,
              options.memos,
              0};
    p.scripts = kLatinScripts;
    p.diary = &kLatinDiary;
    p.weekStart = 1;
    p.windowsFolder = "C:\\Program Files\\Palm\\MartinC";
    plans.push_back(p);
  }
  {
    // A user whose files Palm Desktop 4.1.4 has not opened since the upgrade: still layout 1,
    // on a Japanese Windows.
    UserPlan p;
    p.user = {1528937, "Hanako Yamada", "YamadaH", 1, 932, 120, 96, 20, 12, 0};
    p.scripts = kWorldScripts;
    p.diary = &kWorldDiary;
    p.weekStart = 0;
    p.windowsFolder = "C:\\Program Files\\Palm\\YamadaH";
    plans.push_back(p);
  }

  const fs::path target(folder);
  fs::path partial = target;
  partial += ".partial";
  std::error_code ec;
  fs::remove_all(partial, ec);
  if (!fs::create_directories(partial, ec)) {
    error = "could not create " + partial.string();
    return false;
  }
  bool ok = true;
  std::uint32_t seed = options.seed;
  for (UserPlan& plan : plans) {
    Encoder enc(plan.user.codePage);
    const fs::path dir = partial / plan.user.folder;
    // One stream per database, so that changing one count leaves the other files as they were.
    Rng a(seed * 4 + 1), d(seed * 4 + 2), t(seed * 4 + 3), m(seed * 4 + 4);
    ok = ok && WriteAddress(plan, a, enc, dir, plan.user, error) &&
         WriteDatebook(plan, d, enc, dir, plan.user, error) &&
         WriteTodos(plan, t, enc, dir, plan.user, error) &&
         WriteMemos(plan, m, enc, dir, plan.user, error);
    if (ok && !enc.Failure().empty()) {
      error = enc.Failure();
      ok = false;
    }
    out.users.push_back(plan.user);
    seed = seed * 2654435761u + 7;
  }
  ok = ok && WriteFile(partial / "Users.dat", UsersDat(out.users), error);
  ok =
      ok && WriteFile(partial / "Palm.exe",
                      PeFileContent(out.version[0], out.version[1], out.version[2], out.version[3]),
                      error);
  ok = ok && WriteFile(partial / kMarker, "pm_demo_install\n", error);
  if (!ok) {
    fs::remove_all(partial, ec);
    return false;
  }
  if (fs::exists(target, ec)) {
    const bool empty = fs::is_directory(target, ec) && fs::is_empty(target, ec);
    if (!empty && !fs::exists(target / kMarker, ec)) {
      error = target.string() + " exists and was not made by pm_demo_install; not replaced";
      fs::remove_all(partial, ec);
      return false;
    }
    fs::remove_all(target, ec);
    if (ec) {
      error = "could not replace " + target.string() + ": " + ec.message();
      return false;
    }
  }
  fs::rename(partial, target, ec);
  if (ec) {
    error = "could not move the installation into " + target.string() + ": " + ec.message();
    return false;
  }
  return true;
}

bool WriteVariedDatebook(const std::string& path, std::size_t records, std::uint32_t seed,
                         PmVariedDatebookCounts& counts, std::string& error) {
  counts = PmVariedDatebookCounts{};
  Rng rng(seed);
  Encoder enc(1252);
  PmDateUtil db;
  AddCategories(db, enc, kLatinDiary.categories);
  db.Records().reserve(records);
  for (std::size_t n = 0; n < records; ++n) {
    // Each record draws its own shape: three in four repeat.
    const auto shape = static_cast<std::size_t>(rng.OneIn(4) ? rng.Below(3) : 3 + rng.Below(9));
    Event e = MakeEvent(rng, kLatinDiary, shape + 12 * static_cast<std::size_t>(rng.Below(1000)),
                        rng.Below(2), false);
    PmDateRecord r{};
    r.start = StartOf(e);
    r.end = EndOf(e);
    r.duration = e.minutes;
    r.description = enc(e.subject, 512);
    r.note = enc(e.note, 8192);
    r.untimed = e.untimed;
    r.alarmSet = e.alarm;
    r.alarmAdvance = e.advance;
    r.alarmUnit = e.unit;
    r.repeat = e.repeat;
    r.isPrivate = e.isPrivate;
    const int fate = rng.Below(100);
    if (fate < 4) r.status = kPmStatusDeleted;
    if (fate == 4) r.status = kPmStatusArchived;
    if (fate == 5) r.start = -1;
    if (PmIsLive(r.status) && PmDateUtil::IsScheduled(r)) {
      ++counts.live;
      if (r.repeat.kind != PmRepeat::kNone) ++counts.repeating;
    }
    db.Records().push_back(std::move(r));
  }
  counts.records = records;
  Number(db, 0x00500001);
  if (!enc.Failure().empty()) {
    error = enc.Failure();
    return false;
  }
  // Built beside the target and moved over it, so a failed write leaves the old file.
  const std::string partial = path + ".partial";
  if (!Save(db, partial, "C:\\Program Files\\Palm\\Varied\\datebook\\datebook.dat", error)) {
    std::error_code ec;
    fs::remove(partial, ec);
    return false;
  }
  std::error_code ec;
  fs::rename(partial, path, ec);
  if (ec) {
    error = "could not move " + partial + " to " + path + ": " + ec.message();
    return false;
  }
  return true;
}
