// Starting another program directly, without a shell: arguments are passed as
// they are, so names with blanks, quotes or ';' are safe.
#pragma once

#include <string>
#include <vector>

struct ProcessResult {
  bool started = false;   // the program could be started at all
  int exitStatus = -1;    // its exit status when it ended normally
  int signal = 0;         // the signal that ended it, or 0
  std::string error;      // why it could not be started or waited for

  bool Succeeded() const { return started && signal == 0 && exitStatus == 0; }
  // One line for a report: "exit status 2", "killed by signal 11", or the error.
  std::string Describe() const;
};

// Runs argv[0] (searched on PATH when it has no '/') with argv as its
// arguments. Standard input comes from stdinPath (or /dev/null when empty);
// standard output goes to stdoutPath (created or truncated; inherited when
// empty); standard error likewise goes to stderrPath (inherited when empty).
// Waits for it to end.
ProcessResult RunProgram(const std::vector<std::string>& argv, const std::string& stdinPath = {},
                         const std::string& stdoutPath = {}, const std::string& stderrPath = {});

// The directory of the running executable, with a trailing '/'.
std::string ExecutableDirectory();
