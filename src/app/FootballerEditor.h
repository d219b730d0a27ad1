// The footballer editor's behaviour, free of any widget: its buttons, the
// load at its first showing, and the update of the shown footballer on every
// frame. The window only forwards its controls here and shows the texts.
// (The window's texts, "Change your footballer!!!!" and "Mirl mans face"
// among them, are kept exactly as the program has always written them.)
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "diag/Failure.h"
#include "football/Footballer.h"
#include "platform/Sound.h"
#include "platform/Ui.h"

// The editor window's controls (dialog 120), by number.
enum FootballerControl : int {
  FOOTBALL_PLAY_STOP = 1116,
  FOOTBALL_HAIR_COLOUR = 1119,
  FOOTBALL_HAIR_PREVIOUS = 1123,
  FOOTBALL_HAIR_NEXT = 1124,
  FOOTBALL_FACE_CUSTOM = 1125,
  FOOTBALL_FACE_PREVIOUS = 1126,
  FOOTBALL_FACE_NEXT = 1127,
  FOOTBALL_TOP_CUSTOM = 1128,
  FOOTBALL_TOP_PREVIOUS = 1129,
  FOOTBALL_TOP_NEXT = 1130,
  FOOTBALL_SHORTS_CUSTOM = 1131,
  FOOTBALL_SHORTS_PREVIOUS = 1132,
  FOOTBALL_SHORTS_NEXT = 1133,
  FOOTBALL_PLAY_SOUNDS = 1134,
};

class FootballerEditor {
 public:
  static constexpr const char* kTitle = "Change your footballer!!!!";
  static constexpr int kLeft = 410, kTop = 10;

  // The configuration is the shell's; the stage is the viewer's scene
  // (engine, "Mesh", "Off-scene", "Camera"); sounds play through `sound`.
  FootballerEditor(FootballerConfig& config, FootballerStage stage, Sound& sound)
      : config_(config), stage_(std::move(stage)), sound_(sound) {}

  // OpenFootballerEditor: true the first time (the caller then makes the
  // window); the editor opens once per run.
  bool Open();
  bool opened() const { return openLatch_; }
  // The window's first initialisation: loads the configuration (from `path`,
  // or football/mirl_football.ftb found as the program finds its files),
  // sets the button text and turns sounds on. Only the first call acts.
  void Initialise(const std::string& path = {});
  // A control was pressed.
  void Command(int control);
  // UpdateFootballer: `now` in milliseconds of the program's clock.
  void Update(uint32_t now);

  const std::string& playStopText() const { return playStopText_; }  // control 1116
  bool soundsOn() const { return soundsOn_; }                         // check box 1134
  // Why the configuration did not load (empty when it did or was not tried).
  const Failure& loadFailure() const { return loadFailure_; }
  float clock() const { return clock_; }

 private:
  void Previous(int32_t& current, int32_t count);
  void Next(int32_t& current, int32_t count);
  void ChangeHair(bool forward);
  void CustomFace();
  void CustomTop();
  void CustomShorts();
  void PlayStop();
  void PlayButtonSound();
  void PlayFootballSound();

  FootballerConfig& config_;
  FootballerStage stage_;
  Sound& sound_;
  bool openLatch_ = false;
  bool needsLoad_ = false;
  bool soundsOn_ = false;
  std::string playStopText_ = "Play/Stop";
  Failure loadFailure_;
  std::string buttonSound_, loopSound_;
  float clock_ = 0;
  bool started_ = false;
  uint32_t lastUpdate_ = 0;
  uint8_t lastPlaying_ = 0;
};
