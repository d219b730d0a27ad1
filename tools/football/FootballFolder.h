// Everything in the default `football` folder: the configuration, the body
// part and hair objects, the two scenes, the textures and the sounds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace football {

inline constexpr const char* kConfigFile = "mirl_football.ftb";
inline constexpr const char* kPreviewScene = "preview.lws";
inline constexpr const char* kAnimationScene = "run.lws";
inline constexpr const char* kFolder = "football";

// The running cycle: frames per second and the loop's length in frames.
inline constexpr int kFramesPerSecond = 30;
inline constexpr int kRunFrames = 60;
// The preview turns once in this many frames.
inline constexpr int kTurnFrames = 360;

struct FolderFile {
  std::string name;  // inside the folder
  std::vector<uint8_t> bytes;
};

std::vector<FolderFile> MakeFootballFolder();

// The scene texts, for tests that read them back.
std::string PreviewSceneText();
std::string AnimationSceneText();
std::string ConfigText();

// Writes every file into `directory` (made when missing); false with the
// reason in `why` when a file cannot be written.
bool WriteFootballFolder(const std::string& directory, std::string* why);

}  // namespace football
