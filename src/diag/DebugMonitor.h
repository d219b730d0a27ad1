// The debug-monitor hand-off: a listening monitor process (dbmon) shares one
// buffer and two named semaphores with every program that writes debugger
// output. The writer waits until the buffer is free, writes its process id
// (32-bit little-endian) and the zero-terminated text, and signals the data.
#pragma once

#include <cstdint>
#include <string>

inline constexpr const char* DBWIN_BUFFER = "DBWIN_BUFFER";
inline constexpr const char* DBWIN_BUFFER_READY = "DBWIN_BUFFER_READY";
inline constexpr const char* DBWIN_DATA_READY = "DBWIN_DATA_READY";
inline constexpr uint32_t DBWIN_BUFFER_SIZE = 4096;

// The system-wide name of one of the objects above: "/DBWIN_BUFFER", or with
// LWCS_DBWIN_NAMESPACE set in the environment, "/<namespace>DBWIN_BUFFER", so
// that test runs (and their monitors) do not meet each other.
std::string DebugMonitorName(const char* name);

// Hands the text to a listening monitor. Returns false at once when no monitor
// listens; gives up after a short wait when a monitor left its names behind
// without listening any more (named semaphores outlive their process here).
bool HandToDebugMonitor(const char* text);

// The monitor side, used by dbmon and the tests.
class DebugMonitor {
 public:
  DebugMonitor() = default;
  ~DebugMonitor();
  DebugMonitor(const DebugMonitor&) = delete;
  DebugMonitor& operator=(const DebugMonitor&) = delete;

  // Creates the shared buffer and semaphores (replacing stale ones) and
  // signals that the buffer is free. False with a reason when it cannot.
  bool Start(std::string& error);
  // Waits up to timeoutMs for one text (-1: no limit); true with the writer's
  // process id and text, and the buffer handed back to writers.
  bool Receive(uint32_t& processId, std::string& text, int timeoutMs);
  // Removes the names so that writers stop looking for this monitor.
  void Stop();

 private:
  void* view_ = nullptr;
  void* bufferReady_ = nullptr;
  void* dataReady_ = nullptr;
  bool named_ = false;  // the names exist because this monitor made them
};
