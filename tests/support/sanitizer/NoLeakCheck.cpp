// Linked only into the widget and OpenGL test programs of sanitized builds:
// the system's GL driver and D-Bus client keep blocks until exit, from
// libraries unloaded before the leak check runs, so their frames cannot even
// be named for a suppression. The suite's own buffers are still checked by the
// tracked allocator in those tests, and every other test program keeps the
// leak check.
#include <cstdlib>
#include <string>

extern "C" int __lsan_is_turned_off() { return 1; }

namespace {
// The sanitized viewers these programs start run on the same driver: they
// inherit the same exemption.
const bool kChildrenSkipTheLeakCheck = [] {
  const char* options = std::getenv("ASAN_OPTIONS");
  const std::string value = std::string(options ? options : "") + (options && *options ? ":" : "") + "detect_leaks=0";
  return setenv("ASAN_OPTIONS", value.c_str(), 1) == 0;
}();
}  // namespace
