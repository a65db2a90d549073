// The setup and the uninstaller look for a running client by the names the client holds.
#include <gtest/gtest.h>
#include <iconv.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "shell/client_names.h"

namespace qvx {
namespace {

// The value of `!define name "value"` in the UTF-8 script, as GBK like the client's strings.
std::string nsis_define_gbk(const std::string& script, const std::string& name) {
  std::smatch m;
  if (!std::regex_search(script, m, std::regex("!define " + name + " \"([^\"]*)\""))) return "?";
  std::string in = m[1], out(in.size() * 2, '\0');
  iconv_t cd = iconv_open("GBK", "UTF-8");
  char* src = in.data();
  char* dst = out.data();
  std::size_t src_left = in.size(), dst_left = out.size();
  const bool ok = iconv(cd, &src, &src_left, &dst, &dst_left) != static_cast<std::size_t>(-1);
  iconv_close(cd);
  return ok ? out.substr(0, out.size() - dst_left) : "?";
}

TEST(ClientNames, TheInstallerLooksForTheNamesTheClientHolds) {
  std::ifstream file(QVX_INSTALLER_DIR "/guards.nsh");
  std::stringstream script;
  script << file.rdbuf();
  EXPECT_EQ(nsis_define_gbk(script.str(), "CLIENT_MUTEX"), kClientMutexSession);
  EXPECT_EQ(nsis_define_gbk(script.str(), "CLIENT_MUTEX_GLOBAL"), kClientMutexGlobal);
}

}  // namespace
}  // namespace qvx
