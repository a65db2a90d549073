#include "platform/logon_task_xml.h"

namespace qvx::platform {

namespace {

std::wstring escaped(const std::wstring& text) {
  std::wstring out;
  for (wchar_t c : text) {
    switch (c) {
      case L'&':
        out += L"&amp;";
        break;
      case L'<':
        out += L"&lt;";
        break;
      case L'>':
        out += L"&gt;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

}  // namespace

// The client requires elevation, so whoever sets the task up is an administrator and the
// highest run level is the elevated one. The default time limit of three days would end the
// client; a second start while it runs would only meet its single-instance check. A task's
// default priority 7 starts a background process (below-normal CPU, low I/O); 4 is what a
// program started by hand gets (Priority (settingsType) Element, learn.microsoft.com).
std::wstring logon_task_xml(const std::wstring& program, const std::wstring& user) {
  const std::wstring dir = program.substr(0, program.find_last_of(L'\\') + 1);
  return L"<?xml version=\"1.0\" encoding=\"UTF-16\"?>"
         L"<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">"
         L"<Triggers><LogonTrigger><Enabled>true</Enabled>" +
         (user.empty() ? L"" : L"<UserId>" + escaped(user) + L"</UserId>") +
         L"</LogonTrigger></Triggers>"
         L"<Principals><Principal id=\"Author\"><LogonType>InteractiveToken</LogonType>"
         L"<RunLevel>HighestAvailable</RunLevel></Principal></Principals>"
         L"<Settings><MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>"
         L"<DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>"
         L"<StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>"
         L"<ExecutionTimeLimit>PT0S</ExecutionTimeLimit><Priority>4</Priority>"
         L"<Enabled>true</Enabled></Settings>"
         L"<Actions Context=\"Author\"><Exec><Command>" +
         escaped(program) + L"</Command><WorkingDirectory>" + escaped(dir) +
         L"</WorkingDirectory></Exec></Actions></Task>";
}

}  // namespace qvx::platform
