// Win32LogonTasks against the prefix's Task Scheduler, read back through its own COM interface.
// Wine 8 keeps a task's settings but drops its triggers, principal and actions (its reader of
// task XML lacks them), so those are checked on the XML itself in the native unit tests.
#include <gtest/gtest.h>
#include <windows.h>

#include <taskschd.h>

#include <string>

#include "platform/win32/win32_logon_tasks.h"

namespace qvx::win32 {
namespace {

const char kName[] = "Quovix平台测试";
const wchar_t kWideName[] = L"Quovix平台测试";
const char kProgram[] = "C:\\平台 测试\\quovix.exe";

// The registered task as the Task Scheduler hands it to any program (IRegisteredTask::get_Xml),
// without white space between the elements; empty when there is none.
std::wstring registered_xml() {
  std::wstring xml;
  ITaskService* service = nullptr;
  ITaskFolder* folder = nullptr;
  IRegisteredTask* task = nullptr;
  VARIANT none;
  VariantInit(&none);
  if (FAILED(CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskService,
                              reinterpret_cast<void**>(&service))) ||
      FAILED(service->Connect(none, none, none, none))) {
    ADD_FAILURE() << "no Task Scheduler";
    return xml;
  }
  BSTR root = SysAllocString(L"\\"), name = SysAllocString(kWideName), text = nullptr;
  if (SUCCEEDED(service->GetFolder(root, &folder)) && SUCCEEDED(folder->GetTask(name, &task)) &&
      SUCCEEDED(task->get_Xml(&text)) && text) {
    bool in_tag = false;
    for (const wchar_t* c = text; *c; ++c) {
      if (*c == L'<') in_tag = true;
      if (*c == L'>') in_tag = false;
      if (!in_tag && (*c == L'\r' || *c == L'\n' || *c == L'\t' || *c == L' ') &&
          (c[1] == L'<' || c[1] == L' ' || c[1] == L'\r' || c[1] == L'\n' || c[1] == L'\t')) {
        continue;
      }
      xml += *c;
    }
  }
  SysFreeString(text);
  SysFreeString(root);
  SysFreeString(name);
  if (task) task->Release();
  if (folder) folder->Release();
  service->Release();
  return xml;
}

bool has(const std::wstring& xml, const std::wstring& part) {
  return xml.find(part) != std::wstring::npos;
}

class LogonTasksTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    tasks.remove(kName);
  }
  void TearDown() override {
    tasks.remove(kName);
    CoUninitialize();
  }
  Win32LogonTasks tasks;
};

TEST_F(LogonTasksTest, RegistersReplacesAndRemovesTheTask) {
  EXPECT_EQ(tasks.exists(kName), std::optional<bool>(false));
  ASSERT_TRUE(tasks.create(kName, kProgram));
  EXPECT_EQ(tasks.exists(kName), std::optional<bool>(true));
  const std::wstring xml = registered_xml();
  EXPECT_TRUE(has(xml, L"<ExecutionTimeLimit>PT0S</ExecutionTimeLimit>"))
      << "the default limit of three days would end the client";
  EXPECT_TRUE(has(xml, L"<DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>"));
  EXPECT_TRUE(has(xml, L"<MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>"));

  // Created again, with a path XML must escape, it is replaced.
  ASSERT_TRUE(tasks.create(kName, "C:\\R&D <1>\\quovix.exe"));
  EXPECT_EQ(tasks.exists(kName), std::optional<bool>(true));

  EXPECT_TRUE(tasks.remove(kName));
  EXPECT_EQ(tasks.exists(kName), std::optional<bool>(false));
  EXPECT_TRUE(registered_xml().empty());
  EXPECT_TRUE(tasks.remove(kName)) << "removing a missing task is not an error";
}

}  // namespace
}  // namespace qvx::win32
