// lwconv: the suite's batch converter.
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "diag/Dbug.h"

namespace cli {

namespace {
std::vector<Command>& Registry() {
  static std::vector<Command> commands;
  return commands;
}

void PrintHelp(FILE* to) {
  std::fputs(
      "usage: lwconv [--quiet] COMMAND [ARGUMENTS]\n"
      "Converts LightWave objects and scenes for the game pipeline.\n"
      "\n"
      "Options:\n"
      "  --quiet   do not show the developer reports (they go to standard error otherwise)\n"
      "  --help    show this help\n"
      "\n"
      "Commands:\n",
      to);
  for (const Command& c : Registry()) {
    std::fprintf(to, "  lwconv %s\n", c.synopsis);
    std::fputs(c.help, to);
  }
  std::fputs(
      "\n"
      "Exit status: 0 success, 1 failure (the reason on standard error), 2 usage error.\n",
      to);
}
}  // namespace

CommandRegistration::CommandRegistration(const Command& command) { Registry().push_back(command); }

const std::vector<Command>& Commands() { return Registry(); }

int Fail(const std::string& message) {
  std::fprintf(stderr, "lwconv: %s\n", message.c_str());
  return kFailure;
}

std::string FailureText(const std::string& file, const Failure& why, const char* otherwise) {
  if (why.empty()) return file + ": " + otherwise;
  return why.file.empty() ? file + ": " + why.Text() : why.FileText();
}

int UsageError(const char* command, const std::string& message) {
  std::fprintf(stderr, "lwconv %s: %s\n", command, message.c_str());
  for (const Command& c : Registry())
    if (std::strcmp(c.name, command) == 0) std::fprintf(stderr, "usage: lwconv %s\n", c.synopsis);
  return kUsage;
}

std::string JsonNumber(float value) {
  if (value != value) return "null";  // NaN has no JSON form
  if (value == 0) return "0";
  char text[64];
  auto [end, ec] = std::to_chars(text, text + sizeof text, value);
  if (ec != std::errc()) return "0";
  return std::string(text, end);
}

std::string JsonString(const std::string& s) {
  std::string out = "\"";
  for (unsigned char c : s) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char esc[8];
          std::snprintf(esc, sizeof esc, "\\u%04x", c);
          out += esc;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

}  // namespace cli

int main(int argc, char** argv) {
  using namespace cli;
  // The tool has nobody to ask: reports go to standard error unless --quiet.
  SetDebugMode(DEBUG_MODE_OUTPUT);
  SetDebugOutputSink([](const char* text) {
    std::fputs(text, stderr);
    const size_t n = std::strlen(text);
    if (n == 0 || text[n - 1] != '\n') std::fputc('\n', stderr);
  });
  int i = 1;
  for (; i < argc && argv[i][0] == '-'; ++i) {
    if (std::strcmp(argv[i], "--quiet") == 0) {
      SetDebugMode(DEBUG_MODE_SILENT);
    } else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      PrintHelp(stdout);
      return kSuccess;
    } else {
      std::fprintf(stderr, "lwconv: unknown option %s\n", argv[i]);
      PrintHelp(stderr);
      return kUsage;
    }
  }
  if (i >= argc) {
    PrintHelp(stderr);
    return kUsage;
  }
  const std::string name = argv[i];
  for (const Command& c : Commands()) {
    if (name == c.name) {
      std::vector<std::string> args;
      // The global options may follow the command too.
      for (int k = i + 1; k < argc; ++k) {
        if (std::strcmp(argv[k], "--quiet") == 0) SetDebugMode(DEBUG_MODE_SILENT);
        else args.push_back(argv[k]);
      }
      for (const std::string& a : args) {
        if (a == "--help") {
          std::printf("usage: lwconv %s\n", c.synopsis);
          std::fputs(c.help, stdout);
          return kSuccess;
        }
      }
      return c.run(args);
    }
  }
  std::fprintf(stderr, "lwconv: unknown command %s\n", name.c_str());
  PrintHelp(stderr);
  return kUsage;
}
