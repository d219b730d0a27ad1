// Sounds through Qt Multimedia. On a machine without an audio output nothing
// plays and nothing is said.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "platform/Sound.h"

class QSoundEffect;

class QtSound : public Sound {
 public:
  QtSound();
  ~QtSound() override;
  void PlayOnce(const std::string& path) override;
  void PlayLooped(const std::string& path) override;
  void StopAll() override;

 private:
  void Play(const std::string& path, bool looped);
  // Asked of the sound system at the first sound, not before.
  bool HaveOutput();
  bool checked_ = false;
  bool haveOutput_ = false;
  // One effect per file, loaded once.
  std::map<std::string, std::unique_ptr<QSoundEffect>> effects_;
};
