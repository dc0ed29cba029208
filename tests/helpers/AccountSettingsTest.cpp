// `quillmove-cli account` and the back-end choice the helpers read from GHelper.ini.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "BackendSettings.h"
#include "TestUtil.h"

namespace {

class AccountSettingsTest : public ::testing::Test {
 protected:
  AccountSettingsTest() : xdg_("XDG_DATA_HOME", home_.path()) {}

  // Runs quillmove-cli account with the arguments; its exit code, standard output in `out`.
  int Cli(const std::string& args, std::string& out) {
    const std::string file = home_.file("out.txt");
    int rc =
        std::system((QM_BIN_DIR "/quillmove-cli account " + args + " >" + file + " 2>&1").c_str());
    out = ReadFile(file);
    return WEXITSTATUS(rc);
  }
  std::string Ini() const { return home_.file("korvane/VEGG/GHelper.ini"); }

  TempDir home_;
  ScopedEnv xdg_;
};

TEST_F(AccountSettingsTest, BackendsAreChosenPerAddressAndCheckedWhenSet) {
  struct Case {
    const char* args;
    int rc;
    const char* shown;  // in the output; for a refusal, in the reason
  } cases[] = {
      {"show ann@gmail.com", 0, "\"backend\":\"google\",\"default\":true"},
      {"show Ann@GoogleMail.com", 0, "\"backend\":\"google\""},
      {"show ann@example.com", 0, "\"backend\":\"local\",\"default\":true"},
      {"set ann@example.com --backend dav --url http://dav.example.com/", 1,
       "must begin with https"},
      {"set ann@example.com --backend dav", 1, "needs the server's address"},
      {"set ann@example.com --backend dav --url https://dav.example.com/ --ca-file /no/ca.pem", 1,
       "/no/ca.pem of ann@example.com cannot be read: No such file"},
      {"set ann@example.com --backend exchange", 1, "is not known"},
      {"set 'ann[x]@example.com' --backend local", 1, "is not an e-mail address"},
      {"set Ann@Example.com --backend DAV --url http://127.0.0.1:5232/ --user ann", 0,
       "\"backend\":\"dav\",\"default\":false"},
      {"set ann@gmail.com --backend local", 0, "\"backend\":\"local\""},
      {"set ann@example.com --url https://dav.example.com/dav/", 0,
       "\"Url\":\"https://dav.example.com/dav/\",\"User\":\"ann\""},
      {"frobnicate", 2, "usage"},
  };
  for (const Case& c : cases) {
    std::string out;
    EXPECT_EQ(Cli(c.args, out), c.rc) << c.args << "\n" << out;
    EXPECT_NE(out.find(c.shown), std::string::npos) << c.args << "\n" << out;
  }
  AccountSettings s = HelperSettings::ForAccount("ANN@example.com");
  EXPECT_EQ(s.backend, "dav");
  EXPECT_EQ(s.Value("url"), "https://dav.example.com/dav/");
  std::string out;
  ASSERT_EQ(Cli("list", out), 0);
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 2) << out;
  struct stat st {};
  ASSERT_EQ(::stat(Ini().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(AccountSettingsTest, SecretsInTheFileAreNeverShown) {
  std::filesystem::create_directories(home_.file("korvane/VEGG"));
  WriteFile(Ini(),
            "[Accounts]\nRoot=/x\n[Account bob@gmail.com]\nBackend=google\n"
            "RefreshToken=tok-123\nClientSecret=sec-456\nPassword=pw-789\n");
  for (const char* args : {"show bob@gmail.com", "list", "set bob@gmail.com --backend google"}) {
    std::string out;
    ASSERT_EQ(Cli(args, out), 0) << args << out;
    for (const char* secret : {"tok-123", "sec-456", "pw-789"})
      EXPECT_EQ(out.find(secret), std::string::npos) << args << "\n" << out;
    EXPECT_NE(out.find("(hidden)"), std::string::npos) << out;
  }
  // Editing the section keeps what it does not touch.
  EXPECT_NE(ReadFile(Ini()).find("RefreshToken=tok-123"), std::string::npos);
}

}  // namespace
