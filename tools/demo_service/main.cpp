// demo_service: the demo verification service on 127.0.0.1. Usage in README.md.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <mutex>
#include <optional>
#include <string>

#include "demo_server.h"

#ifndef QVX_DEMO_DEFAULT_PORT
#define QVX_DEMO_DEFAULT_PORT 18080
#endif

namespace {

int usage(const char* why) {
  std::cerr << "demo_service: " << why << "\n"
            << "usage: demo_service [--port N] [--accounts FILE] [--port-file FILE]\n"
            << "                        [--log FILE] [--scenario SWITCH[,SWITCH...]]...\n"
            << "                        [--update-setup FILE --update-version V]\n";
  return 2;
}

// Written under a temporary name first, so a reader polling for it never sees half a number.
bool write_port_file(const std::string& path, int port) {
  const std::string temp = path + ".tmp";
  {
    std::ofstream out(temp);
    if (!(out << port << "\n")) return false;
  }
  return std::rename(temp.c_str(), path.c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  int port = QVX_DEMO_DEFAULT_PORT;
  std::string accounts_path = QVX_DEMO_ACCOUNTS;
  std::string port_file, log_path, update_setup, update_version;
  qvx::demo::Scenario scenario;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (i + 1 >= argc) return usage(("missing value after " + arg).c_str());
    const std::string value = argv[++i];
    std::string error;
    if (arg == "--port") {
      char* end = nullptr;
      const long p = std::strtol(value.c_str(), &end, 10);
      if (*end != '\0' || p < 0 || p > 65535) return usage("bad port");
      port = static_cast<int>(p);
    } else if (arg == "--accounts") {
      accounts_path = value;
    } else if (arg == "--port-file") {
      port_file = value;
    } else if (arg == "--log") {
      log_path = value;
    } else if (arg == "--update-setup") {
      update_setup = value;
    } else if (arg == "--update-version") {
      update_version = value;
    } else if (arg == "--scenario") {
      if (!scenario.apply_list(value, &error)) return usage(error.c_str());
    } else {
      return usage(("unknown option " + arg).c_str());
    }
  }

  if (update_setup.empty() != update_version.empty())
    return usage("--update-setup and --update-version go together");
  std::optional<qvx::demo::UpdateRelease> release;
  if (!update_setup.empty()) {
    std::string error;
    release = qvx::demo::UpdateRelease::load(update_setup, update_version, &error);
    if (!release) return usage(error.c_str());
  }

  auto accounts = qvx::demo::AccountBook::load(accounts_path);
  if (!accounts.valid()) return usage((accounts_path + ": " + accounts.error()).c_str());

  // Block the stop signals in every thread; main waits for them below.
  sigset_t stop_signals;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGINT);
  sigaddset(&stop_signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);

  std::ofstream log;
  if (!log_path.empty()) {
    log.open(log_path, std::ios::app);
    if (!log) return usage(("cannot open " + log_path).c_str());
  }
  std::mutex log_mutex;
  qvx::demo::DemoServer server(std::move(accounts), scenario);
  if (release) server.set_update(std::move(*release));
  server.on_request([&](const std::string& line) {
    std::lock_guard<std::mutex> lock(log_mutex);
    std::cout << line << std::endl;
    if (log.is_open()) log << line << std::endl;
  });
  if (server.start(port) < 0) {
    std::cerr << "demo_service: cannot listen on 127.0.0.1:" << port << "\n";
    return 1;
  }
  std::cout << "demo_service listening on " << server.base_url() << std::endl;
  if (!port_file.empty() && !write_port_file(port_file, server.port())) {
    std::cerr << "demo_service: cannot write " << port_file << "\n";
    return 1;
  }
  int signal_number = 0;
  sigwait(&stop_signals, &signal_number);
  server.stop();
  return 0;
}
