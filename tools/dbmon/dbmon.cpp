// dbmon: the debug monitor. Listens for the debugger output of every program
// of the suite and prints each text as it arrives.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "diag/DebugMonitor.h"

namespace {

volatile std::sig_atomic_t g_stop = 0;
void OnSignal(int) { g_stop = 1; }

void Usage(FILE* to) {
  std::fputs(
      "usage: dbmon [--pid] [--count N]\n"
      "Prints the debugger output of the suite's programs as it arrives.\n"
      "  --pid      put the writer's process id before each text\n"
      "  --count N  exit after N texts\n"
      "  --seconds N  exit after N seconds\n"
      "Prints \"dbmon: listening\" on standard error once it is ready.\n",
      to);
}

}  // namespace

int main(int argc, char** argv) {
  bool showPid = false;
  long count = -1;
  long seconds = -1;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--pid") == 0) {
      showPid = true;
    } else if (std::strcmp(argv[i], "--count") == 0 && i + 1 < argc) {
      char* end = nullptr;
      count = std::strtol(argv[++i], &end, 10);
      if (!end || *end || count < 1) {
        Usage(stderr);
        return 2;
      }
    } else if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) {
      char* end = nullptr;
      seconds = std::strtol(argv[++i], &end, 10);
      if (!end || *end || seconds < 1) {
        Usage(stderr);
        return 2;
      }
    } else if (std::strcmp(argv[i], "--help") == 0) {
      Usage(stdout);
      return 0;
    } else {
      Usage(stderr);
      return 2;
    }
  }
  struct sigaction action{};
  action.sa_handler = OnSignal;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);

  DebugMonitor monitor;
  std::string error;
  if (!monitor.Start(error)) {
    std::fprintf(stderr, "dbmon: %s\n", error.c_str());
    return 1;
  }
  std::fputs("dbmon: listening\n", stderr);
  std::fflush(stderr);
  const auto start = std::chrono::steady_clock::now();
  while (!g_stop && count != 0) {
    if (seconds > 0 && std::chrono::steady_clock::now() - start >= std::chrono::seconds(seconds)) break;
    uint32_t pid = 0;
    std::string text;
    if (!monitor.Receive(pid, text, 200)) continue;
    if (showPid) std::printf("%u: ", pid);
    std::fputs(text.c_str(), stdout);
    if (text.empty() || text.back() != '\n') std::fputc('\n', stdout);
    std::fflush(stdout);
    if (count > 0) --count;
  }
  monitor.Stop();
  return 0;
}
