#include "platform/Process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

extern char** environ;

std::string ProcessResult::Describe() const {
  if (!started) return error.empty() ? "could not be started" : error;
  if (signal != 0) return "killed by signal " + std::to_string(signal);
  return "exit status " + std::to_string(exitStatus);
}

ProcessResult RunProgram(const std::vector<std::string>& argv, const std::string& stdinPath,
                         const std::string& stdoutPath, const std::string& stderrPath) {
  ProcessResult result;
  if (argv.empty()) {
    result.error = "no program named";
    return result;
  }
  std::vector<char*> args;
  args.reserve(argv.size() + 1);
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, stdinPath.empty() ? "/dev/null" : stdinPath.c_str(),
                                   O_RDONLY, 0);
  if (!stdoutPath.empty())
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, stdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
  if (!stderrPath.empty())
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, stderrPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
  pid_t pid = 0;
  const int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) {
    result.error = "cannot start " + argv[0] + ": " + std::strerror(rc);
    return result;
  }
  int status = 0;
  pid_t waited;
  do waited = waitpid(pid, &status, 0);
  while (waited < 0 && errno == EINTR);
  if (waited < 0) {
    result.error = "cannot wait for " + argv[0] + ": " + std::strerror(errno);
    return result;
  }
  result.started = true;
  if (WIFEXITED(status)) {
    result.exitStatus = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    result.signal = WTERMSIG(status);
  }
  return result;
}

std::string ExecutableDirectory() {
  char path[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return "./";
  std::string p(path, static_cast<size_t>(n));
  const size_t slash = p.rfind('/');
  return slash == std::string::npos ? "./" : p.substr(0, slash + 1);
}
