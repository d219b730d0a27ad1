// Developer diagnostics: located reports, the debugging mode, traces to the
// debugger output channel and a debug monitor, and the tracked allocator.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <source_location>

enum : int32_t {
  DEBUG_MODE_OUTPUT = 0,  // report lines go to the debugger output channel
  DEBUG_MODE_ASK = 1,     // report lines are asked as a Yes/No question; Yes breaks
  DEBUG_MODE_SILENT = 2,  // reports are dropped
};

constexpr std::size_t DEBUG_BUFFER_SIZE = 2096;
constexpr std::size_t DEBUG_TRACE_BUFFER_SIZE = 500;
constexpr std::size_t DEBUG_FREE_BUFFER_SIZE = 256;
constexpr uint32_t TRACKED_ALLOCATION_SLOTS = 50000;

// Formats "module(line): kind text" and shows it as the debugging mode says.
void DebugReport(const char* text, const char* kind, const char* module, int32_t line);

// The forms the rest of the program uses: they name the calling file and line.
void ReportWarning(const char* text, std::source_location where = std::source_location::current());
void ReportMessage(const char* text, std::source_location where = std::source_location::current());

// printf into the one shared buffer and return it. A second call overwrites the
// first text; texts longer than the buffer are cut.
char* DebugFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));

void SetDebugMode(int32_t mode);
int32_t GetDebugMode();

// Saves the debugging mode, switches to another one, and puts the saved mode
// back however the scope is left.
class ScopedDebugMode {
 public:
  explicit ScopedDebugMode(int32_t mode) : saved_(GetDebugMode()) { SetDebugMode(mode); }
  ~ScopedDebugMode() { SetDebugMode(saved_); }
  ScopedDebugMode(const ScopedDebugMode&) = delete;
  ScopedDebugMode& operator=(const ScopedDebugMode&) = delete;

 private:
  int32_t saved_;
};

// Writes a formatted text to the debugger output channel; ends the program
// with status 0 when exitAfter is nonzero.
void DebugTrace(int exitAfter, const char* format, ...) __attribute__((format(printf, 2, 3)));

// The debugger output channel. The default sink writes the text to standard
// error as a line of its own (a line end added when it has none) and hands it,
// as it stands, to a listening debug monitor. Tests install their own sink to capture lines; a null sink restores
// the default.
using DebugOutputSink = std::function<void(const char* text)>;
void OutputDebugText(const char* text);
void SetDebugOutputSink(DebugOutputSink sink);

// Ask mode asks its question through this hook (the viewer installs a message
// box). Returns true for Yes. With no hook installed, an ask-mode report is
// written to the debugger output channel instead, as in output mode.
using DebugAskHook = std::function<bool(const char* text, const char* title)>;
void SetDebugAskHook(DebugAskHook hook);
inline constexpr const char* DEBUG_ASK_TITLE = "Debug Application ?: ";

// Stops in an attached debugger; does nothing when none is attached.
void DebugBreakIfAttached();

// Tracked allocator: every working buffer is recorded with the file and line
// that took it, so frees of foreign pointers are caught and leaks listed.
void* TrackedAlloc(uint32_t size, const char* module, int32_t line);
void TrackedFree(void* block, const char* module, int32_t line);
inline void* TrackedAlloc(uint32_t size, std::source_location where = std::source_location::current()) {
  return TrackedAlloc(size, where.file_name(), static_cast<int32_t>(where.line()));
}
inline void TrackedFree(void* block, std::source_location where = std::source_location::current()) {
  TrackedFree(block, where.file_name(), static_cast<int32_t>(where.line()));
}

// Lists every live block and returns allocations made minus frees made.
int32_t ReportUnfreedMemory();

// Allocations made minus frees made, without listing anything.
int32_t TrackedAllocationBalance();

// Failure injection for tests: the Nth TrackedAlloc from now (1 = the next one)
// returns null as if the heap were exhausted. 0 switches it off.
void FailTrackedAllocAfter(uint32_t n);
// Number of TrackedAlloc calls since the program started (successful or not).
uint64_t TrackedAllocCalls();
