// Runs lwconv as users do and writes the cube object the command tests share.
#pragma once

#include <string>
#include <vector>

#include "writers/LwobWriter.h"
#include "TestSupport.h"
#include "platform/Process.h"

namespace clitest {

struct LwconvRun {
  int status;
  std::string out, err;
};

inline LwconvRun Lwconv(const testsupport::TempDir& dir, std::vector<std::string> args) {
  args.insert(args.begin(), LWCONV_PATH);
  const ProcessResult r = RunProgram(args, {}, dir.File("out.txt"), dir.File("err.txt"));
  return {r.exitStatus, testsupport::ReadText(dir.File("out.txt")), testsupport::ReadText(dir.File("err.txt"))};
}

// How often `what` occurs in `text`.
inline size_t Occurrences(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// A 2-unit cube of one red surface with some specular; returns its path.
inline std::string WriteCube(const testsupport::TempDir& dir, const std::string& name = "cube.lwo") {
  testsupport::LwobWriter()
      .Points(testsupport::CubePoints())
      .SurfaceNames({"Red"})
      .Polygons(testsupport::CubeFaces())
      .Surface(testsupport::LwobSurface("Red").Colour(255, 0, 0).U2("SPEC", 64))
      .Save(dir.File(name));
  return dir.File(name);
}

}  // namespace clitest
