// Sounds played from files while the program goes on: one sound at a time, as
// the system's sound service plays them (a new sound ends the one playing).
// The viewer installs one made with Qt Multimedia; tests use RecordedSound.
#pragma once

#include <string>
#include <vector>

class Sound {
 public:
  virtual ~Sound() = default;
  virtual void PlayOnce(const std::string& path) = 0;
  virtual void PlayLooped(const std::string& path) = 0;
  virtual void StopAll() = 0;
};

// Plays nothing: lwconv, and a machine without a sound device.
class SilentSound : public Sound {
 public:
  void PlayOnce(const std::string&) override {}
  void PlayLooped(const std::string&) override {}
  void StopAll() override {}
};

// Remembers what it was asked to play: "once PATH", "loop PATH", "stop".
class RecordedSound : public Sound {
 public:
  void PlayOnce(const std::string& path) override { events_.push_back("once " + path); }
  void PlayLooped(const std::string& path) override { events_.push_back("loop " + path); }
  void StopAll() override { events_.push_back("stop"); }
  const std::vector<std::string>& events() const { return events_; }
  void Clear() { events_.clear(); }

 private:
  std::vector<std::string> events_;
};
