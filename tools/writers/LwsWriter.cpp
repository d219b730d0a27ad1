#include "writers/LwsWriter.h"

#include <cstdio>

namespace writers {

std::string LwsNumber(float value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
  return text;
}

LwsWriter& LwsWriter::Header(int firstFrame, int lastFrame, int frameStep, std::string_view fps,
                             const std::vector<std::string>& extra) {
  text_ += "LWSC\n1\n\n";
  text_ += "FirstFrame " + std::to_string(firstFrame) + "\n";
  text_ += "LastFrame " + std::to_string(lastFrame) + "\n";
  text_ += "FrameStep " + std::to_string(frameStep) + "\n";
  for (const std::string& line : extra) text_ += line + "\n";
  text_ += "FramesPerSecond " + std::string(fps) + "\n\n";
  return *this;
}

LwsWriter& LwsWriter::Line(std::string_view line) {
  text_ += line;
  text_ += '\n';
  return *this;
}

LwsWriter& LwsWriter::Motion(std::string_view keyword, const std::vector<LwsKey>& keys, int channels, int endBehavior) {
  text_ += std::string(keyword) + " (unnamed)\n  " + std::to_string(channels) + "\n  " +
           std::to_string(keys.size()) + "\n";
  for (const LwsKey& k : keys) {
    text_ += "  ";
    for (float v : {k.x, k.y, k.z, k.h, k.p, k.b, k.sx, k.sy, k.sz}) text_ += LwsNumber(v) + " ";
    text_ += "\n  " + std::to_string(k.frame) + " " + std::to_string(k.linear) + " " + LwsNumber(k.tension) +
             " " + LwsNumber(k.continuity) + " " + LwsNumber(k.bias) + "\n";
  }
  text_ += "EndBehavior " + std::to_string(endBehavior) + "\n";
  return *this;
}

LwsWriter& LwsWriter::Envelope(std::string_view keyword, int keys) {
  text_ += std::string(keyword) + " (envelope)\n  1\n  " + std::to_string(keys) + "\n";
  for (int i = 0; i < keys; ++i) text_ += "  " + std::to_string(i) + "\n  " + std::to_string(i * 10) + " 0 0 0 0\n";
  text_ += "  EndBehavior 1\n";
  return *this;
}

}  // namespace writers
