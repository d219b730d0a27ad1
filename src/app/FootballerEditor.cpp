#include "app/FootballerEditor.h"

#include <filesystem>

#include "football/FootballerDress.h"
#include "lwlib/object/TextureSearch.h"
#include "rm/Frame.h"

namespace {

// A texture picked by the user for `name` ("Load texture - NAME"); null when
// the dialog was cancelled or the file is not an image.
rm::TexturePtr AskTexture(const char* name) {
  rm::TexturePtr texture;
  if (AskAnyTextureCallback(name, nullptr, &texture) != 0) return nullptr;
  return texture;
}

// ChooseColour starting from `start`; false when cancelled.
bool AskColour(const FootballerColour& start, FootballerColour& chosen) {
  UiColour colour{start.red, start.green, start.blue};
  if (!GetUi().ChooseColour(colour)) return false;
  chosen = {colour.red, colour.green, colour.blue};
  return true;
}

}  // namespace

bool FootballerEditor::Open() {
  if (openLatch_) return false;
  openLatch_ = true;
  needsLoad_ = true;
  return true;
}

void FootballerEditor::Initialise(const std::string& path) {
  if (!needsLoad_) return;
  needsLoad_ = false;
  const std::string file = path.empty() ? FindFootballFile(FOOTBALL_CONFIG_FILE) : path;
  loadFailure_ = {};
  if (file.empty()) {
    loadFailure_.what = std::string("no ") + FOOTBALL_FOLDER + "/" + FOOTBALL_CONFIG_FILE +
                        " in the working directory or beside the program";
  } else {
    LoadFootballerConfig(file.c_str(), config_, stage_, &loadFailure_);
  }
  // The sounds sit beside the configuration that was found.
  const std::string folder = file.empty() ? std::string() : std::filesystem::path(file).parent_path().string();
  auto sound = [&](const char* name) {
    std::error_code ec;
    const std::string beside = (std::filesystem::path(folder) / name).string();
    return !file.empty() && std::filesystem::is_regular_file(beside, ec) ? beside : FindFootballFile(name);
  };
  buttonSound_ = sound(FOOTBALL_BUTTON_SOUND);
  loopSound_ = sound(FOOTBALL_LOOP_SOUND);
  playStopText_ = "Play";
  soundsOn_ = true;
}

void FootballerEditor::PlayButtonSound() {
  if (soundsOn_ && config_.playing == 0 && !buttonSound_.empty()) sound_.PlayOnce(buttonSound_);
}

void FootballerEditor::PlayFootballSound() {
  if (soundsOn_ && !loopSound_.empty()) sound_.PlayLooped(loopSound_);
}

// An empty list has nothing to step through: the button is ignored.
void FootballerEditor::Previous(int32_t& current, int32_t count) {
  if (count <= 0) return;
  current = (current != 0 ? current : count) - 1;
  PlayButtonSound();
}

void FootballerEditor::Next(int32_t& current, int32_t count) {
  if (count <= 0) return;
  current = (current + 1) % count;
  PlayButtonSound();
}

void FootballerEditor::ChangeHair(bool forward) {
  if (forward)
    Next(config_.currentHair, config_.hairCount);
  else
    Previous(config_.currentHair, config_.hairCount);
  // The colour stays where the new style has it; otherwise it wraps round.
  if (config_.currentHair < 0 || config_.currentHair >= config_.hairCount) return;
  const int32_t pairs = config_.hairs[static_cast<size_t>(config_.currentHair)].textureCount;
  config_.currentHairTexture = pairs > 0 ? config_.currentHairTexture % pairs : 0;
}

void FootballerEditor::CustomFace() {
  PlayButtonSound();
  if (rm::TexturePtr texture = AskTexture("Mirl mans face")) AddCustomFace(config_, texture, nullptr);
}

void FootballerEditor::CustomTop() {
  PlayButtonSound();
  rm::TexturePtr front = AskTexture("Front of shirt");
  if (!front) return;
  rm::TexturePtr back = AskTexture("Back of shirt");
  if (!back) return;
  // The colour dialog starts from the shirt on show; cancelling it adds nothing.
  FootballerColour colour;
  if (config_.currentTop >= 0 && config_.currentTop < config_.topCount)
    colour = config_.tops[static_cast<size_t>(config_.currentTop)].colour;
  if (!AskColour(colour, colour)) return;
  AddCustomTop(config_, front, nullptr, back, nullptr, colour);
}

void FootballerEditor::CustomShorts() {
  PlayButtonSound();
  FootballerColour colour;
  if (config_.currentShorts >= 0 && config_.currentShorts < config_.shortsCount)
    colour = config_.shorts[static_cast<size_t>(config_.currentShorts)].colour;
  if (!AskColour(colour, colour)) return;
  AddShortsColour(config_, colour);
}

void FootballerEditor::PlayStop() {
  Animation* preview = config_.previewAnimation.get();
  Animation* animation = config_.animation.get();
  const bool showingAnimation = config_.playing == 1;
  if (preview && animation) {
    AttachAnimation(showingAnimation ? stage_.offScene : stage_.parent, *animation);
    AttachAnimation(showingAnimation ? stage_.parent : stage_.offScene, *preview);
  }
  config_.playing = showingAnimation ? 0 : 1;
  if (config_.playing == 0) {
    PlayButtonSound();
    playStopText_ = "Play";
  } else {
    playStopText_ = "Stop";  // the loop starts with the next update
  }
}

void FootballerEditor::Command(int control) {
  switch (control) {
    case FOOTBALL_HAIR_PREVIOUS: ChangeHair(false); break;
    case FOOTBALL_HAIR_NEXT: ChangeHair(true); break;
    case FOOTBALL_HAIR_COLOUR: {
      if (config_.currentHair < 0 || config_.currentHair >= config_.hairCount) break;
      const int32_t pairs = config_.hairs[static_cast<size_t>(config_.currentHair)].textureCount;
      if (pairs <= 0) break;
      PlayButtonSound();
      config_.currentHairTexture = (config_.currentHairTexture + 1) % pairs;
      break;
    }
    case FOOTBALL_FACE_PREVIOUS: Previous(config_.currentFace, config_.faceCount); break;
    case FOOTBALL_FACE_NEXT: Next(config_.currentFace, config_.faceCount); break;
    case FOOTBALL_FACE_CUSTOM: CustomFace(); break;
    case FOOTBALL_TOP_PREVIOUS: Previous(config_.currentTop, config_.topCount); break;
    case FOOTBALL_TOP_NEXT: Next(config_.currentTop, config_.topCount); break;
    case FOOTBALL_TOP_CUSTOM: CustomTop(); break;
    case FOOTBALL_SHORTS_PREVIOUS: Previous(config_.currentShorts, config_.shortsCount); break;
    case FOOTBALL_SHORTS_NEXT: Next(config_.currentShorts, config_.shortsCount); break;
    case FOOTBALL_SHORTS_CUSTOM: CustomShorts(); break;
    case FOOTBALL_PLAY_SOUNDS: soundsOn_ = !soundsOn_; break;
    case FOOTBALL_PLAY_STOP: PlayStop(); break;
    default: break;
  }
}

void FootballerEditor::Update(uint32_t now) {
  if (!started_) {
    started_ = true;
    lastUpdate_ = now;
    lastPlaying_ = config_.playing;
  }
  if (config_.loaded) {
    DressFootballer(config_);
    if (config_.playing != lastPlaying_) {
      lastPlaying_ = config_.playing;
      clock_ = 0;
      if (config_.playing == 1)
        PlayFootballSound();
      else
        sound_.StopAll();
    }
    const bool playing = config_.playing == 1;
    const Scene& scene = playing ? config_.animationScene : config_.previewScene;
    Animation* shown = playing ? config_.animation.get() : config_.previewAnimation.get();
    const float frameMs = 1000.0f / static_cast<float>(GetScenePlaybackRate(scene));
    clock_ += static_cast<float>(now - lastUpdate_) / frameMs;
    if (shown) SetAnimationTime(*shown, clock_, stage_.camera, ANIMATE_CAMERA | ANIMATE_OBJECTS | ANIMATE_LIGHTS);
  }
  lastUpdate_ = now;
}
