// lwconv: the suite's batch converter.
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "diag/Dbug.h"
#include "platform/Version.h"

namespace cli {

namespace {
std::vector<Command>& Registry() {
  static std::vector<Command> commands;
  return commands;
}

constexpr const char* kUsageLines =
    "usage: lwconv [--quiet] COMMAND [ARGUMENTS]\n"
    "       lwconv --help | --version | COMMAND --help\n";

// Options several commands take, described once; a command's own help lists
// those its synopsis names.
struct SharedOption {
  const char* word;  // as it stands in a synopsis
  const char* text;
};
constexpr SharedOption kSharedOptions[] = {
    {"--json", "  --json              print one JSON object instead of text\n"},
    {"--flat", "  --flat              give every polygon of a LightWave object vertices of its own\n"},
    {"--no-surfaces", "  --no-surfaces       leave out the surfaces' materials, colours and textures\n"},
    {"--texture-dir",
     "  --texture-dir DIR   look for textures, and the TIM files beside them, in DIR;\n"
     "                      may be given again, and is searched before other places\n"},
    {"--hmd-options",
     "  --hmd-options N     the HMD conversion flags, 0-127: 1 write textures, 2 flat\n"
     "                      shaded, 4 texture wrapped polys, 8/16/32 invert x/y/z,\n"
     "                      64 invert winding (default 125, the options dialog's\n"
     "                      start-up state)\n"},
    {"--scale",
     "  --scale S           one scale for all three axes; --scales X,Y,Z one per axis\n"
     "                      (default: the largest scale up to 1 that fits the mesh\n"
     "                      within +-2 units)\n"},
    {"OUT.lab",
     "  OUT.lab             the file written always ends in a lower-case .lab: a name of\n"
     "                      six or more characters ending in .lab in any case has that\n"
     "                      ending replaced, any other name gets .lab added (a.lab is\n"
     "                      written as a.lab.lab, Model.LaB as Model.lab)\n"},
    {"OUT.hmd", "  OUT.hmd             the same rule with .hmd\n"},
};

void PrintCommandHelp(const Command& c, FILE* to) {
  std::fprintf(to, "usage: lwconv %s\n", c.synopsis);
  std::fputs(c.help, to);
  bool any = false;
  for (const SharedOption& o : kSharedOptions) {
    if (!std::strstr(c.synopsis, o.word)) continue;
    if (!any) std::fputs("\n", to);
    any = true;
    std::fputs(o.text, to);
  }
}

void PrintHelp(FILE* to) {
  std::fputs(kUsageLines, to);
  std::fputs(
      "Converts LightWave objects and scenes for the game pipeline.\n"
      "\n"
      "Options:\n"
      "  --quiet             do not show the developer reports (they go to standard\n"
      "                      error and a listening debug monitor otherwise)\n"
      "  --help              show this help; COMMAND --help shows one command's\n"
      "  --version           show the suite's version\n"
      "\n"
      "Commands:\n",
      to);
  for (const Command& c : Registry()) {
    std::fprintf(to, "  lwconv %s\n", c.synopsis);
    std::fputs(c.help, to);
  }
  std::fputs("\nOptions shared by the commands:\n", to);
  for (const SharedOption& o : kSharedOptions) std::fputs(o.text, to);
  std::fputs(
      "\n"
      "Exit status: 0 success, 1 failure (the reason on standard error), 2 usage error.\n",
      to);
}

int TopUsageError(const std::string& message) {
  if (!message.empty()) std::fprintf(stderr, "lwconv: %s\n", message.c_str());
  std::fputs(kUsageLines, stderr);
  std::fputs("try 'lwconv --help'\n", stderr);
  return kUsage;
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
  std::fprintf(stderr, "try 'lwconv %s --help'\n", command);
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

namespace {

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsUtf8(const std::string& s) {
  for (size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    size_t n;
    uint32_t code;
    if (c < 0x80) {
      ++i;
      continue;
    } else if (c >= 0xC2 && c <= 0xDF) {
      n = 1, code = c & 0x1Fu;
    } else if (c >= 0xE0 && c <= 0xEF) {
      n = 2, code = c & 0x0Fu;
    } else if (c >= 0xF0 && c <= 0xF4) {
      n = 3, code = c & 0x07u;
    } else {
      return false;
    }
    if (s.size() - i <= n) return false;
    for (size_t k = 1; k <= n; ++k) {
      const unsigned char t = static_cast<unsigned char>(s[i + k]);
      if ((t & 0xC0) != 0x80) return false;
      code = code << 6 | (t & 0x3Fu);
    }
    const bool overlongOrSurrogate = n == 2 && (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF));
    if (overlongOrSurrogate || (n == 3 && (code < 0x10000 || code > 0x10FFFF))) return false;
    i += n + 1;
  }
  return true;
}

// Names in scenes and objects were written in the Windows code page.
std::string Utf8FromWindows1252(const std::string& s) {
  static const uint16_t kHigh[32] = {0x20AC, 0x81,   0x201A, 0x192,  0x201E, 0x2026, 0x2020, 0x2021,
                                     0x2C6,  0x2030, 0x160,  0x2039, 0x152,  0x8D,   0x17D,  0x8F,
                                     0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                     0x2DC,  0x2122, 0x161,  0x203A, 0x153,  0x9D,   0x17E,  0x178};
  std::string out;
  for (unsigned char c : s) {
    const uint32_t code = c >= 0x80 && c < 0xA0 ? kHigh[c - 0x80] : c;
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | code >> 6);
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | code >> 12);
      out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  return out;
}

}  // namespace

std::string Join(const std::vector<std::string>& items, const char* separator) {
  std::string out;
  for (size_t i = 0; i < items.size(); ++i) {
    if (i) out += separator;
    out += items[i];
  }
  return out;
}

std::string JsonArray(const std::vector<std::string>& items) {
  std::string out = "[";
  out += Join(items);
  out += ']';
  return out;
}

std::string JsonString(const std::string& text) {
  const std::string s = IsUtf8(text) ? text : Utf8FromWindows1252(text);
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
  // The tool has nobody to ask: reports go to the debugger output channel
  // (standard error and a listening debug monitor) unless --quiet.
  SetDebugMode(DEBUG_MODE_OUTPUT);
  int i = 1;
  for (; i < argc && argv[i][0] == '-'; ++i) {
    if (std::strcmp(argv[i], "--quiet") == 0) {
      SetDebugMode(DEBUG_MODE_SILENT);
    } else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      PrintHelp(stdout);
      return kSuccess;
    } else if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("lwconv %s (%s)\n", kSuiteVersion, kSuiteName);
      return kSuccess;
    } else {
      return TopUsageError(std::string("unknown option ") + argv[i]);
    }
  }
  if (i >= argc) return TopUsageError({});
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
          PrintCommandHelp(c, stdout);
          return kSuccess;
        }
      }
      return c.run(args);
    }
  }
  return TopUsageError("unknown command " + name);
}
