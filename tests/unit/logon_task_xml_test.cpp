// The XML of the client's logon task: what the Task Scheduler is asked to do at logon.
#include "platform/logon_task_xml.h"

#include <gtest/gtest.h>

namespace qvx::platform {
namespace {

bool has(const std::wstring& xml, const std::wstring& part) {
  return xml.find(part) != std::wstring::npos;
}

TEST(LogonTaskXml, StartsTheProgramInItsFolderAtTheUsersLogonElevatedWithoutTimeLimit) {
  const std::wstring xml = logon_task_xml(L"C:\\Program Files\\Quovix\\quovix.exe", L"PC\\admin");
  EXPECT_TRUE(has(xml,
                  L"<Triggers><LogonTrigger><Enabled>true</Enabled><UserId>PC\\admin</UserId>"
                  L"</LogonTrigger></Triggers>"));
  EXPECT_TRUE(has(xml, L"<LogonType>InteractiveToken</LogonType>"));
  EXPECT_TRUE(has(xml, L"<RunLevel>HighestAvailable</RunLevel>"));
  EXPECT_TRUE(has(xml,
                  L"<Exec><Command>C:\\Program Files\\Quovix\\quovix.exe</Command>"
                  L"<WorkingDirectory>C:\\Program Files\\Quovix\\</WorkingDirectory></Exec>"));
  EXPECT_TRUE(has(xml, L"<ExecutionTimeLimit>PT0S</ExecutionTimeLimit>"));
  EXPECT_TRUE(has(xml, L"<Priority>4</Priority>")) << "a foreground program, not a background one";
  EXPECT_TRUE(has(xml, L"<StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>"));
  EXPECT_EQ(xml.rfind(L"</Task>"), xml.size() - 7);
}

TEST(LogonTaskXml, EscapesMarkupInPathsAndNamesAndLeavesOutAnUnknownUser) {
  const std::wstring xml = logon_task_xml(L"D:\\R&D <1>\\quovix.exe", L"");
  EXPECT_TRUE(has(xml, L"<Command>D:\\R&amp;D &lt;1&gt;\\quovix.exe</Command>"));
  EXPECT_TRUE(has(xml, L"<WorkingDirectory>D:\\R&amp;D &lt;1&gt;\\</WorkingDirectory>"));
  EXPECT_FALSE(has(xml, L"<UserId>"));
  EXPECT_FALSE(has(xml, L"R&D"));
  EXPECT_TRUE(has(logon_task_xml(L"C:\\Q\\quovix.exe", L"A&B\\u"), L"<UserId>A&amp;B\\u</UserId>"));
}

}  // namespace
}  // namespace qvx::platform
