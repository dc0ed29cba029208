// The Google contacts helper over the local account: one vCard file per contact.
#include "ContactCard.h"
#include "HelperFlow.h"

namespace {

struct ContactKind {
  using Record = GoogleContact;
  static constexpr const char* kNoun = "contact";
  static constexpr const char* kFolder = "contacts";
  static constexpr const char* kExtension = ".vcf";

  static bool Parse(const std::string& content, GoogleContact& r) {
    std::vector<VCard> cards = VCardReader::Parse(content);
    if (cards.empty()) {
      RecordStore::SkipLastRead("no vCard in the file");
      return false;
    }
    ReadContactCard(cards.front(), r);
    return true;
  }
  static std::string Format(const GoogleContact& r, const std::string& name) {
    GoogleContact stamped(r);
    OleDate now = CxDateTime().Date();
    if (r.Action == 1 || !r.CreationTime.IsSet()) stamped.CreationTime = now;
    stamped.LastModificationTime = now;
    // "x.vcf" is card x; card 2 of a file of several, "x.vcf#2", is x-2.
    std::string uid = name;
    if (auto hash = uid.rfind('#'); hash != std::string::npos)
      uid = uid.substr(0, hash - 4) + "-" + uid.substr(hash + 1);
    else
      uid.resize(uid.size() - 4);
    return WriteContactCard(stamped, uid);
  }
  static bool Read(CxFile& f, GoogleContact& r) { return ReadGoogleContact(f, r); }
  static bool Write(CxFile& f, const GoogleContact& r) { return WriteGoogleContact(f, r); }
  static FixedText<4096>* PassThroughOf(GoogleContact& r) { return &r.PassThrough; }
  static bool BeforeLoad(HelperSession&, LocalAccount&) { return true; }
  static void BeforeSubmit(HelperSession&, LocalAccount&) {}
};

}  // namespace

int main(int argc, char** argv) {
  return RunHelperProgram<ContactKind>(argc, argv);
}
