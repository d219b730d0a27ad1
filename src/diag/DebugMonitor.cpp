#include "diag/DebugMonitor.h"

#include <fcntl.h>
#include <semaphore.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

constexpr int kWriterWaitMs = 250;

timespec Deadline(int timeoutMs) {
  timespec at{};
  clock_gettime(CLOCK_REALTIME, &at);
  at.tv_sec += timeoutMs / 1000;
  at.tv_nsec += static_cast<long>(timeoutMs % 1000) * 1000000L;
  if (at.tv_nsec >= 1000000000L) {
    at.tv_sec += 1;
    at.tv_nsec -= 1000000000L;
  }
  return at;
}

bool WaitFor(sem_t* sem, int timeoutMs) {
  int rc;
  if (timeoutMs < 0) {
    do rc = sem_wait(sem);
    while (rc != 0 && errno == EINTR);
  } else {
    const timespec at = Deadline(timeoutMs);
    do rc = sem_timedwait(sem, &at);
    while (rc != 0 && errno == EINTR);
  }
  return rc == 0;
}

}  // namespace

std::string DebugMonitorName(const char* name) {
  const char* space = std::getenv("LWCS_DBWIN_NAMESPACE");
  std::string full = "/";
  if (space) {
    for (const char* c = space; *c; ++c)
      if (*c != '/') full += *c;
  }
  return full + name;
}

bool HandToDebugMonitor(const char* text) {
  sem_t* bufferReady = sem_open(DebugMonitorName(DBWIN_BUFFER_READY).c_str(), 0);
  if (bufferReady == SEM_FAILED) return false;
  sem_t* dataReady = sem_open(DebugMonitorName(DBWIN_DATA_READY).c_str(), 0);
  if (dataReady == SEM_FAILED) {
    sem_close(bufferReady);
    return false;
  }
  bool delivered = false;
  const int fd = shm_open(DebugMonitorName(DBWIN_BUFFER).c_str(), O_RDWR, 0);
  if (fd >= 0) {
    void* view = mmap(nullptr, DBWIN_BUFFER_SIZE, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    close(fd);
    if (view != MAP_FAILED) {
      if (WaitFor(bufferReady, kWriterWaitMs)) {
        auto* bytes = static_cast<unsigned char*>(view);
        const uint32_t pid = static_cast<uint32_t>(getpid());
        for (int i = 0; i < 4; ++i) bytes[i] = static_cast<unsigned char>(pid >> (8 * i));
        const size_t room = DBWIN_BUFFER_SIZE - 5;
        size_t length = std::strlen(text);
        if (length > room) length = room;
        std::memcpy(bytes + 4, text, length);
        bytes[4 + length] = 0;
        sem_post(dataReady);
        delivered = true;
      }
      munmap(view, DBWIN_BUFFER_SIZE);
    }
  }
  sem_close(dataReady);
  sem_close(bufferReady);
  return delivered;
}

DebugMonitor::~DebugMonitor() { Stop(); }

bool DebugMonitor::Start(std::string& error) {
  Stop();
  shm_unlink(DebugMonitorName(DBWIN_BUFFER).c_str());
  sem_unlink(DebugMonitorName(DBWIN_BUFFER_READY).c_str());
  sem_unlink(DebugMonitorName(DBWIN_DATA_READY).c_str());
  const int fd = shm_open(DebugMonitorName(DBWIN_BUFFER).c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
  if (fd < 0) {
    error = std::string("cannot create the shared buffer: ") + std::strerror(errno);
    return false;
  }
  named_ = true;
  if (ftruncate(fd, DBWIN_BUFFER_SIZE) != 0) {
    error = std::string("cannot size the shared buffer: ") + std::strerror(errno);
    close(fd);
    Stop();
    return false;
  }
  void* view = mmap(nullptr, DBWIN_BUFFER_SIZE, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  close(fd);
  if (view == MAP_FAILED) {
    error = std::string("cannot map the shared buffer: ") + std::strerror(errno);
    Stop();
    return false;
  }
  view_ = view;
  sem_t* dataReady = sem_open(DebugMonitorName(DBWIN_DATA_READY).c_str(), O_CREAT | O_EXCL, 0600, 0);
  sem_t* bufferReady = sem_open(DebugMonitorName(DBWIN_BUFFER_READY).c_str(), O_CREAT | O_EXCL, 0600, 0);
  if (dataReady == SEM_FAILED || bufferReady == SEM_FAILED) {
    error = std::string("cannot create the semaphores: ") + std::strerror(errno);
    if (dataReady != SEM_FAILED) sem_close(dataReady);
    if (bufferReady != SEM_FAILED) sem_close(bufferReady);
    Stop();
    return false;
  }
  dataReady_ = dataReady;
  bufferReady_ = bufferReady;
  sem_post(bufferReady);
  return true;
}

bool DebugMonitor::Receive(uint32_t& processId, std::string& text, int timeoutMs) {
  if (!view_ || !dataReady_) return false;
  if (!WaitFor(static_cast<sem_t*>(dataReady_), timeoutMs)) return false;
  const auto* bytes = static_cast<const unsigned char*>(view_);
  processId = 0;
  for (int i = 0; i < 4; ++i) processId |= static_cast<uint32_t>(bytes[i]) << (8 * i);
  const char* start = reinterpret_cast<const char*>(bytes + 4);
  text.assign(start, strnlen(start, DBWIN_BUFFER_SIZE - 4));
  sem_post(static_cast<sem_t*>(bufferReady_));
  return true;
}

void DebugMonitor::Stop() {
  if (view_) munmap(view_, DBWIN_BUFFER_SIZE);
  if (dataReady_) sem_close(static_cast<sem_t*>(dataReady_));
  if (bufferReady_) sem_close(static_cast<sem_t*>(bufferReady_));
  view_ = dataReady_ = bufferReady_ = nullptr;
  if (named_) {
    named_ = false;
    sem_unlink(DebugMonitorName(DBWIN_BUFFER_READY).c_str());
    sem_unlink(DebugMonitorName(DBWIN_DATA_READY).c_str());
    shm_unlink(DebugMonitorName(DBWIN_BUFFER).c_str());
  }
}
