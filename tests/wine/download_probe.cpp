// Test program for test_download.sh, not shipped: downloads each URL to its path through
// Win32Downloader and prints one line per download. A path ending in "\*" names a folder;
// the file then gets a Chinese name, to exercise the GBK path.
#include <cstdio>
#include <string>

#include "platform/win32/win32_downloader.h"

int main(int argc, char** argv) {
  qvx::Win32Downloader downloader;
  for (int i = 1; i + 1 < argc; i += 2) {
    std::string path = argv[i + 1];
    if (path.size() > 2 && path.compare(path.size() - 2, 2, "\\*") == 0) {
      path = path.substr(0, path.size() - 1) + "下载测试.txt";
    }
    const long result = downloader.download(argv[i], path);
    std::printf("result=0x%08lx status=%lu url=%s\n", static_cast<unsigned long>(result),
                downloader.last_http_status(), argv[i]);
  }
  return 0;
}
