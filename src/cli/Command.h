// lwconv's commands. Each command lives in a file of its own and registers
// itself with a static CommandRegistration.
#pragma once

#include <string>
#include <vector>

#include "diag/Failure.h"

namespace cli {

// What a command reports back to main: 0 success, 1 failure (with a one-line
// reason on standard error), 2 usage error.
enum ExitStatus { kSuccess = 0, kFailure = 1, kUsage = 2 };

struct Command {
  const char* name;      // "info"
  const char* synopsis;  // "info [--json] FILE"
  const char* help;      // one or more lines, each starting with two blanks
  int (*run)(const std::vector<std::string>& args);  // arguments after the name
};

class CommandRegistration {
 public:
  explicit CommandRegistration(const Command& command);
};

const std::vector<Command>& Commands();

// Prints "lwconv: <message>" on standard error and returns kFailure.
int Fail(const std::string& message);
// "file: reason" for a failure: the file the reason names, else `file`; the
// `otherwise` text when there is no reason.
std::string FailureText(const std::string& file, const Failure& why, const char* otherwise);
// Prints "lwconv <name>: <message>" and the command's synopsis; returns kUsage.
int UsageError(const char* command, const std::string& message);

// Writes a float the way the JSON outputs do: shortest text that reads back
// to the same float ("1", "0.5", "-2.25e-05").
std::string JsonNumber(float value);
// A JSON string of valid UTF-8: text that is not UTF-8 is read as Windows-1252.
std::string JsonString(const std::string& text);
// The items with the separator between them, and as a JSON array.
std::string Join(const std::vector<std::string>& items, const char* separator = ",");
std::string JsonArray(const std::vector<std::string>& items);

}  // namespace cli
