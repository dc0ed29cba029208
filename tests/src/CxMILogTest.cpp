#include <gtest/gtest.h>

#include "TestUtil.h"
#include "src/CxMILog.h"

namespace {

TEST(CxMILog, EntriesLineByLine) {
  TempDir dir;
  CxMILog log(dir.file("MILog.txt"));
  log.WriteLine("ignored while closed");
  ASSERT_TRUE(log.Open());
  log.WriteLine("Start migrating information to Google account ...");
  CommonContact c;
  c.DisplayName = "Ann Lee";
  c.JobTitle = "CEO";
  c.Email1 = "ann@x";
  log.LogContact(&c);
  CommonEvent e;
  e.Subject = "Old";
  e.Start = {1930, 5, 0, 1, 9, 5, 0, 0};
  e.End = {1930, 5, 0, 1, 10, 0, 7, 0};
  log.LogEvent(&e);
  log.LogTask("Call Bob");
  CommonNote n;
  n.Body = "two words\r\nmore";
  log.LogNote(&n);
  n.Body = "\nstarts with a break";
  log.LogNote(&n);
  log.LogContact(nullptr);
  log.Close();
  log.WriteLine("after close");
  EXPECT_EQ(ReadFile(dir.file("MILog.txt")),
            "Start migrating information to Google account ...\r\n"
            "Migrating Contact item:\r\n\tDisplay Name: Ann Lee\r\n\tCompany: <empty>\r\n"
            "\tTitle: CEO\r\n\tEmail: ann@x\r\n\tPrimary Phone: <empty>\r\n"
            "Contact item migrated successfully...\r\n\r\n"
            "Migrating Calendar item:\r\n\tSubject: Old\r\n\tLocation: <empty>\r\n"
            "\tDate: <empty>\r\n\tStart Time: 09:05:00\r\n\tEnd Time: 10:00:07\r\n"
            "Calendar item migrated successfully...\r\n\r\n"
            "Migrating Task item:\r\n\tSubject: Call Bob\r\n"
            "Task item migrated successfully...\r\n\r\n"
            "Migrating Note item:\r\n\tBrief Note: two words\r\n"
            "Note item migrated successfully...\r\n\r\n"
            "Migrating Note item:\r\n\tBrief Note: <empty>\r\n"
            "Note item migrated successfully...\r\n\r\n");
}

TEST(CxMILog, EachOpenStartsAfresh) {
  TempDir dir;
  CxMILog log(dir.file("MILog.txt"));
  ASSERT_TRUE(log.Open());
  log.WriteLine("first");
  ASSERT_TRUE(log.Open());
  log.WriteLine("second");
  log.Close();
  EXPECT_EQ(ReadFile(dir.file("MILog.txt")), "second\r\n");
}

TEST(CxMILog, UnopenableFileSkipsWrites) {
  CxMILog log("/nonexistent-folder/MILog.txt");
  EXPECT_FALSE(log.Open());
  log.WriteLine("x");
  EXPECT_FALSE(log.IsOpen());
}

TEST(CxMILog, BriefNote) {
  EXPECT_EQ(CxMILog::BriefNote("a\nb\r\nc"), "a\nb");  // CR LF is looked for first
  EXPECT_EQ(CxMILog::BriefNote("a\nb"), "a");
  EXPECT_EQ(CxMILog::BriefNote(std::string(300, 'x')).size(), 255u);
}

}  // namespace
