// Builds LightWave scene text (LWSC version 1).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace writers {

// One motion key as the file writes it: position, heading, pitch, bank,
// scale, frame, linear flag, tension, continuity, bias.
struct LwsKey {
  float x = 0, y = 0, z = 0;
  float h = 0, p = 0, b = 0;
  float sx = 1, sy = 1, sz = 1;
  int frame = 0;
  int linear = 0;
  float tension = 0, continuity = 0, bias = 0;
};

class LwsWriter {
 public:
  // "LWSC", the version and the frame settings; `extra` lines go between
  // FrameStep and FramesPerSecond.
  LwsWriter& Header(int firstFrame = 0, int lastFrame = 60, int frameStep = 1, std::string_view fps = "30",
                    const std::vector<std::string>& extra = {});
  // A line as it stands (a newline is added).
  LwsWriter& Line(std::string_view line);
  // "<keyword> (unnamed)", the channel and key counts, the keys, "EndBehavior"
  // (1 stops at the last key, 2 repeats).
  LwsWriter& Motion(std::string_view keyword, const std::vector<LwsKey>& keys, int channels = 9, int endBehavior = 1);
  // "<keyword> (envelope)" with an envelope of `keys` one-channel keys.
  LwsWriter& Envelope(std::string_view keyword, int keys);
  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

// Writes a float the way a scene file does ("0.5", "-12", "1e-05").
std::string LwsNumber(float value);

}  // namespace writers
