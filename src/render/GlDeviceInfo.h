// The OpenGL renderer as a 3D device: its identity and its descriptions. A
// process draws through one renderer, so the listing holds one device: the
// renderer and vendor strings of the context are its description and name,
// its GUID is made from them, its hardware description from the limits the
// context reports, and its software description ("HEL") is the path every
// OpenGL 3.0 context gives the suite.
#pragma once

#include <string>

#include "rm/DeviceDescription.h"

namespace render {

struct GlDeviceInfo {
  std::string renderer;  // GL_RENDERER: the device's description
  std::string vendor;    // GL_VENDOR: its name
  std::string version;   // GL_VERSION
  rm::DeviceGuid guid{};
  rm::RendererLimits limits;
  rm::D3DDEVICEDESC hardware{};
  rm::D3DDEVICEDESC software{};
};

// Describes the current OpenGL context; false (reported) without one.
bool DescribeCurrentContext(GlDeviceInfo& info);
// The GUID of the current context's renderer; zeros without a context.
rm::DeviceGuid CurrentContextGuid();

// Lists the OpenGL device: the current context's, or, when none is current,
// that of a context made for the listing (a Qt GUI application must exist).
class GlDeviceEnumerator : public rm::DeviceEnumerator {
 public:
  bool EnumDevices(const rm::EnumDevicesCallback& callback) override;
};

}  // namespace render
