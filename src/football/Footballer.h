// The footballer: its configuration file (the two scenes, the thirteen body
// part objects, the shirts, shorts colours, hair styles and faces) and the
// record the editor works on. Nothing here knows Qt.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "diag/Failure.h"
#include "diag/TrackedBuffer.h"
#include "football/TrackedArray.h"
#include "lwlib/scene/Anim.h"
#include "lwlib/scene/Lws.h"
#include "rm/Types.h"

// The body parts in record order, which indexes the frame and mesh tables.
// The file lists them in another order (FootballerObjectKeywords).
enum BodyPart : int32_t {
  BODY_LEFT_THIGH = 0,
  BODY_RIGHT_THIGH,
  BODY_LEFT_UPPER_ARM,
  BODY_RIGHT_UPPER_ARM,
  BODY_LEFT_LOWER_ARM,
  BODY_RIGHT_LOWER_ARM,
  BODY_HEAD,
  BODY_BODY,
  BODY_LEFT_FOOT,
  BODY_RIGHT_FOOT,
  BODY_HAIR,
  BODY_LEFT_HAND,
  BODY_RIGHT_HAND,
  BODY_PART_COUNT
};

struct FootballerObjectKeyword {
  const char* keyword;  // "LeftThigh"
  BodyPart part;
};
// The Objects section's keywords in file order.
std::span<const FootballerObjectKeyword, BODY_PART_COUNT> FootballerObjectKeywords();
// "LeftThigh" for BODY_LEFT_THIGH.
const char* BodyPartKeyword(BodyPart part);

// The configuration's folder and files: the folder "football" holds the
// configuration, the sounds and the scenes' objects; the names inside the
// configuration are relative to the folder that holds "football".
inline constexpr const char* FOOTBALL_FOLDER = "football";
inline constexpr const char* FOOTBALL_CONFIG_FILE = "mirl_football.ftb";
inline constexpr const char* FOOTBALL_BUTTON_SOUND = "Button.wav";
inline constexpr const char* FOOTBALL_LOOP_SOUND = "football.wav";
// A configuration is a few hundred bytes; anything past this is refused.
inline constexpr size_t FOOTBALL_CONFIG_MAX_BYTES = 1u << 20;

// football/<name> in the working directory, else beside the running
// executable; empty when neither holds it.
std::string FindFootballFile(const char* name);

// A text read from the file, kept in a tracked allocation. Empty stands for
// "none" (entries added in the editor have no names).
class TrackedText {
 public:
  // False (and empty) when the allocation fails.
  bool Set(std::string_view text);
  void Clear() { buffer_.Reset(); }
  const char* c_str() const { return buffer_.empty() ? "" : buffer_.data(); }
  std::string_view view() const { return buffer_.empty() ? std::string_view() : std::string_view(buffer_.data()); }
  bool empty() const { return buffer_.size() <= 1; }

 private:
  TrackedBuffer<char> buffer_;
};

struct FootballerColour {
  float red = 1, green = 1, blue = 1;
};

struct FootballerTop {
  rm::TexturePtr frontTexture, backTexture;
  TrackedText frontName, backName;
  FootballerColour colour;
};

struct FootballerShorts {
  FootballerColour colour;
};

struct FootballerHair {
  TrackedArray<rm::TexturePtr> frontTextures, backTextures;  // textureCount each
  rm::MeshPtr object;
  TrackedArray<TrackedText> frontNames, backNames;
  TrackedText objectName;
  int32_t textureCount = 0;
  FootballerColour colour;  // read, not used by the editor
};

struct FootballerFace {
  rm::TexturePtr texture;
  TrackedText name;
  FootballerColour colour;  // not used by the editor
};

struct FootballerConfig {
  FootballerConfig() = default;
  ~FootballerConfig();
  FootballerConfig(const FootballerConfig&) = delete;
  FootballerConfig& operator=(const FootballerConfig&) = delete;

  int32_t faceCount = 0, currentFace = 0;
  int32_t topCount = 0, currentTop = 0;
  int32_t shortsCount = 0, currentShorts = 0;
  int32_t hairCount = 0, currentHair = 0, currentHairTexture = 0;
  TrackedArray<FootballerTop> tops;
  TrackedArray<FootballerFace> faces;
  TrackedArray<FootballerShorts> shorts;
  TrackedArray<FootballerHair> hairs;
  std::array<TrackedText, BODY_PART_COUNT> objectNames;  // BodyPart order
  TrackedText previewSceneName, animationSceneName;
  Scene previewScene, animationScene;
  AnimationPtr previewAnimation, animation;
  std::array<rm::FramePtr, BODY_PART_COUNT> previewFrames, animationFrames;
  std::array<rm::MeshPtr, BODY_PART_COUNT> previewMeshes, animationMeshes;
  uint8_t loaded = 0;
  uint8_t playing = 0;  // 0: the preview is shown, 1: the animation
  // Where names are resolved: the folder holding the football folder and the
  // football folder itself, each with a trailing '/' (empty: the working
  // directory).
  std::string baseDirectory, footballDirectory;
};

// Releases everything the record holds (scenes and their frames, textures,
// texts) and resets it to an empty, unloaded record.
void ClearFootballerConfig(FootballerConfig& config);

// The configuration text as the file reader sees it: formatted input where a
// blank or line end in a pattern matches any run of white space (none too),
// names are runs of non-white-space and integers are decimal, 0x hexadecimal
// or 0-led octal. Failures fill the reason with the section and the entry.
class FootballerReader {
 public:
  FootballerReader(const char* text, size_t size, Failure* why) : text_(text), size_(size), why_(why) {}
  // The section failures are reported in ("Top").
  void SetSection(const char* section) { section_ = section; }
  bool Match(const char* pattern);
  bool ReadName(TrackedText& name, const char* what);
  bool ReadInt(int32_t& value, const char* what);
  // A count of entries each taking at least minBytes of text: negative counts
  // and counts the rest of the text could not hold are refused.
  bool ReadCount(int32_t& count, const char* what, size_t minBytes);
  bool Fail(const char* format, ...) __attribute__((format(printf, 2, 3)));
  size_t position() const { return position_; }

 private:
  void SkipSpace();
  int32_t Line() const;
  std::string Found() const;

  const char* text_;
  size_t size_;
  size_t position_ = 0;
  Failure* why_;
  const char* section_ = "";
};

// A colour line: three integers, each divided by 255. True when all three
// were read.
bool ReadColourLine(FootballerReader& file, FootballerColour& colour, const char* what = "colour");

// Reads the configuration text into the record (names, colours, counts and
// empty texture slots); opens no file. The record is cleared first.
bool ParseFootballerConfig(const char* text, size_t size, FootballerConfig& config, Failure* why);

// Where a configuration at `path` has its names resolved (the record's two
// folders): its own folder and the one above.
void SetFootballerFolders(FootballerConfig& config, const char* path);
// Reads and parses the file only; the files it names are not opened.
bool ReadFootballerConfig(const char* path, FootballerConfig& config, Failure* why);

// What the loader hangs the scenes on: the engine, the frame that shows the
// preview (the viewer's "Mesh"), the frame the hidden scene is parked under
// ("Off-scene") and the camera frame the scenes' cameras move.
struct FootballerStage {
  rm::EnginePtr engine;
  rm::FramePtr parent, offScene, camera;
};

// Reads the file, loads both scenes with their objects (from the folder the
// file is in), finds the thirteen body parts in both and loads the hair
// objects and every texture. On failure the record is cleared (nothing stays
// attached) and the reason says which section and entry failed.
bool LoadFootballerConfig(const char* path, FootballerConfig& config, const FootballerStage& stage, Failure* why);

// Loads every hair object and texture the record names. False at the first
// that does not load.
bool LoadFootballerTextures(FootballerConfig& config, const rm::EnginePtr& engine, Failure* why);

// Depth first from root through the frames that carry an animation's
// objects: the first visual named `name` (any case) that is a mesh.
bool FindNamedMesh(const char* name, const rm::FramePtr& root, rm::FramePtr* frame, rm::MeshPtr* mesh);

// Entries the editor appends; each becomes the current one. False when the
// list cannot grow (it is then unchanged).
bool AddCustomTop(FootballerConfig& config, const rm::TexturePtr& front, const char* frontName,
                  const rm::TexturePtr& back, const char* backName, const FootballerColour& colour);
bool AddCustomFace(FootballerConfig& config, const rm::TexturePtr& texture, const char* name);
bool AddShortsColour(FootballerConfig& config, const FootballerColour& colour);
// Hair styles come only from the file.
bool AddCustomHair(FootballerConfig& config);

// A name from the configuration as a path: '\' read as '/', relative names
// taken from `directory` (with its trailing '/').
std::string FootballerPath(std::string_view name, const std::string& directory);

// Every file the record names, in file order, with the path it is looked for
// at: the scenes, then (once the scenes are loaded) their objects, the hair
// objects and the textures.
struct FootballerFile {
  std::string role;  // "preview scene", "hair 1 object", "top 2 back texture"
  std::string path;
  bool exists = false;
};
std::vector<FootballerFile> FootballerFiles(const FootballerConfig& config);
