#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "TestUtil.h"
#include "helper/CxHelperDataReader.h"
#include "helper/CxHelperParamParser.h"
#include "misc/CxFile.h"
#include "misc/CxIniUtil.h"
#include "misc/FixedText.h"
#include "misc/WinTypes.h"

// Every field of a data-file record as text, in file order (arrays element by element), so
// that two records compare field by field and a difference names its position.
struct FieldTexts {
  std::vector<std::string>& out;
  void operator()(const std::int32_t& v) { out.push_back(std::to_string(v)); }
  void operator()(const OleDate& d) {
    char b[64];
    std::snprintf(b, sizeof b, "%.9f", d.value);
    out.push_back(b);
  }
  template <std::size_t N>
  void operator()(const FixedText<N>& t) {
    out.push_back(t.str());
  }
  template <class T, std::size_t N>
  void operator()(const std::array<T, N>& a) {
    for (const T& e : a) (*this)(e);
  }
};

template <class Record>
void ExpectSameFields(const Record& want, const Record& got) {
  std::vector<std::string> a, b;
  Record::VisitFileFields(want, FieldTexts{a});
  Record::VisitFileFields(got, FieldTexts{b});
  ASSERT_EQ(a.size(), b.size());
  for (std::size_t i = 0; i < a.size(); ++i) EXPECT_EQ(a[i], b[i]) << "field position " << i;
}

// A working folder, a data folder standing in for $XDG_DATA_HOME and an accounts root named by
// the data folder's GHelper.ini; runs the real helper programs through the connector's runner.
class HelperProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    xdg_ = std::make_unique<ScopedEnv>("XDG_DATA_HOME", data_.path());
    // One runner for the test: a runner deletes its files when it goes.
    runner_ = std::make_unique<CxHelperDataReader>();
    std::filesystem::create_directories(data_.path() + "/korvane/VEGG");
    WriteFile(data_.path() + "/korvane/VEGG/GHelper.ini",
              "[Accounts]\nRoot=" + root_.path() + "\n");
  }

  std::string Work() const { return work_.folder(); }
  std::string Root() const { return root_.folder(); }
  std::string AccountFolder(const std::string& kind) const {
    return root_.folder() + "ann@example.com/" + kind + "/";
  }

  // Runs `program` ("GAddrUtil") for the data file stem ("GAddr").
  HelperRunResult Run(const std::string& program, const std::string& stem, int operation,
                      const std::string& password = "secret",
                      const std::string& user = "Ann@Example.com") {
    CxHelperParamParser p;
    p.SetText(1000, user);
    p.SetText(1001, password);
    p.SetText(1002, stem + ".dat");
    p.SetText(1003, Work());
    p.SetText(1005, std::to_string(operation));
    p.SetText(1004, "");
    if (stem == "GDate") {
      p.SetText(1006, "");
      p.SetText(1007, "");
      p.SetText(1008, "GCal.dat");
    }
    p.SetText(1009, stem + "Err.dat");
    p.SetText(1010, stem + "Status.dat");
    p.SetText(1013, Work());
    p.SetText(1014, "appdebug.log");
    p.SetText(1015, "3");
    p.SetText(1016, "0");
    EXPECT_TRUE(p.Write(Work() + stem + "Param.dat"));
    runner_->SetHelperFolder(QM_BIN_DIR);
    runner_->SetProgram(program + ".exe");
    runner_->SetFolder(Work());
    runner_->SetParamFileName(stem + "Param.dat");
    runner_->SetDataFileName(stem + ".dat");
    runner_->SetWaitLimit(std::chrono::seconds(60));
    return runner_->Run();
  }

  // The last error the helper reported, as the connector reads it ("" for none).
  std::string LastError(const std::string& stem) const {
    CxIniUtil ini(Work(), stem + "Err.dat");
    int count = ini.ReadInt("Error", "Error.Count", 0);
    return count > 0 ? ini.ReadText("Error", "Error." + std::to_string(count), "") : "";
  }

  template <class Record, class ReadFn>
  bool ReadData(const std::string& stem, std::vector<Record>& out, ReadFn read) const {
    CxFile f;
    std::int32_t count = 0;
    if (!f.Open(Work() + stem + ".dat", "rb") || !f.ReadInt32(count)) return false;
    for (std::int32_t i = 0; i < count; ++i) {
      Record r;
      if (!read(f, r)) return false;
      out.push_back(std::move(r));
    }
    return true;
  }

  template <class Record, class WriteFn>
  void WriteData(const std::string& stem, const std::vector<Record>& records, WriteFn write) const {
    CxFile f;
    ASSERT_TRUE(f.Open(Work() + stem + ".dat", "wb"));
    f.WriteInt32(static_cast<std::int32_t>(records.size()));
    for (const Record& r : records) ASSERT_TRUE(write(f, r));
  }

  static std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(folder, ec))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  void Switches(const std::string& lines) {
    WriteFile(work_.file("GHelperTest.ini"), "[Test]\n" + lines);
  }

 private:
  TempDir work_, data_, root_;
  std::unique_ptr<ScopedEnv> xdg_;
  std::unique_ptr<CxHelperDataReader> runner_;
};
