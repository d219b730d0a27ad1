#include "diag/Dbug.h"

#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "diag/DebugMonitor.h"

namespace {

int32_t g_debugMode = DEBUG_MODE_ASK;
char g_messageBuffer[DEBUG_BUFFER_SIZE];
DebugAskHook g_askHook;
DebugOutputSink g_outputSink;

void DefaultDebugOutput(const char* text) {
  // A debugger shows every text as an entry of its own; on standard error
  // that takes a line end, or the reports (which carry none) run together.
  std::fputs(text, stderr);
  const size_t length = std::strlen(text);
  if (length == 0 || text[length - 1] != '\n') std::fputc('\n', stderr);
  std::fflush(stderr);
  // Like the system's debugger output, the text also reaches a listening
  // debug monitor; with none listening this returns at once.
  HandToDebugMonitor(text);
}

}  // namespace

void OutputDebugText(const char* text) {
  if (g_outputSink) {
    g_outputSink(text);
  } else {
    DefaultDebugOutput(text);
  }
}

void SetDebugOutputSink(DebugOutputSink sink) { g_outputSink = std::move(sink); }

void SetDebugAskHook(DebugAskHook hook) { g_askHook = std::move(hook); }

void DebugBreakIfAttached() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("TracerPid:", 0) == 0) {
      if (std::atoi(line.c_str() + 10) != 0) std::raise(SIGTRAP);
      return;
    }
  }
}

void DebugReport(const char* text, const char* kind, const char* module, int32_t line) {
  char report[DEBUG_BUFFER_SIZE];
  std::snprintf(report, sizeof report, "%s(%i): %s %s", module ? module : "", static_cast<int>(line),
                kind ? kind : "", text ? text : "");
  const int32_t mode = g_debugMode;
  if (mode == DEBUG_MODE_OUTPUT) {
    OutputDebugText(report);
  } else if (mode == DEBUG_MODE_ASK) {
    if (!g_askHook) {
      // Nobody to ask (the command-line tool, tests): the line still reaches
      // the developer through the output channel.
      OutputDebugText(report);
    } else if (g_askHook(report, DEBUG_ASK_TITLE)) {
      DebugBreakIfAttached();
    }
  }
}

void ReportWarning(const char* text, std::source_location where) {
  DebugReport(text, "Warning:", where.file_name(), static_cast<int32_t>(where.line()));
}

void ReportMessage(const char* text, std::source_location where) {
  DebugReport(text, "Message:", where.file_name(), static_cast<int32_t>(where.line()));
}

char* DebugFormat(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vsnprintf(g_messageBuffer, sizeof g_messageBuffer, format, args);
  va_end(args);
  return g_messageBuffer;
}

void SetDebugMode(int32_t mode) {
  if (mode == DEBUG_MODE_OUTPUT || mode == DEBUG_MODE_ASK || mode == DEBUG_MODE_SILENT) {
    g_debugMode = mode;
  } else {
    ReportWarning("Invalid debugging mode - debug the debugger!");
  }
}

int32_t GetDebugMode() { return g_debugMode; }

void DebugTrace(int exitAfter, const char* format, ...) {
  char text[DEBUG_TRACE_BUFFER_SIZE];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  // The output channel already hands the text to a listening monitor, so the
  // separate monitor step of the old 95/98 path would deliver it twice.
  OutputDebugText(text);
  if (exitAfter) std::exit(0);
}
