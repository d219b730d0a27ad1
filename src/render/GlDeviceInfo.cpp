#include "render/GlDeviceInfo.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <algorithm>

#include "diag/Dbug.h"
#include "render/GlDevice.h"

namespace render {

namespace {

std::string GlString(GLenum name) {
  const auto* text = reinterpret_cast<const char*>(glGetString(name));
  return text ? text : "";
}

uint32_t GlInteger(GLenum name) {
  GLint value = 0;
  glGetIntegerv(name, &value);
  return value > 0 ? static_cast<uint32_t>(value) : 0;
}

// A size the format names, or what the context says when the format leaves
// it open (-1).
uint32_t FormatBits(int fromFormat, GLenum query, bool canQuery) {
  if (fromFormat >= 0) return static_cast<uint32_t>(fromFormat);
  return canQuery ? GlInteger(query) : 0;
}

}  // namespace

rm::DeviceGuid CurrentContextGuid() {
  if (!QOpenGLContext::currentContext()) return {};
  return rm::DeviceGuidFromStrings(GlString(GL_RENDERER), GlString(GL_VENDOR));
}

bool DescribeCurrentContext(GlDeviceInfo& info) {
  QOpenGLContext* context = QOpenGLContext::currentContext();
  if (!context) {
    ReportWarning("No current OpenGL context to describe");
    return false;
  }
  while (glGetError() != GL_NO_ERROR) {
  }
  info.renderer = GlString(GL_RENDERER);
  info.vendor = GlString(GL_VENDOR);
  info.version = GlString(GL_VERSION);
  info.guid = rm::DeviceGuidFromStrings(info.renderer, info.vendor);

  const QSurfaceFormat format = context->format();
  // The framebuffer bit queries are kept by compatibility contexts only.
  const bool compatibility = format.profile() != QSurfaceFormat::CoreProfile && !context->isOpenGLES();
  rm::RendererLimits& l = info.limits;
  l = {};
  l.colourBits = FormatBits(format.redBufferSize(), GL_RED_BITS, compatibility) +
                 FormatBits(format.greenBufferSize(), GL_GREEN_BITS, compatibility) +
                 FormatBits(format.blueBufferSize(), GL_BLUE_BITS, compatibility) +
                 FormatBits(format.alphaBufferSize(), GL_ALPHA_BITS, compatibility);
  l.depthBits = FormatBits(format.depthBufferSize(), GL_DEPTH_BITS, compatibility);
  l.samples = static_cast<uint32_t>(std::max(format.samples(), 0));
  l.maxTextureSize = GlInteger(GL_MAX_TEXTURE_SIZE);
  l.maxVertices = GlInteger(GL_MAX_ELEMENTS_VERTICES);
  if (context->hasExtension("GL_EXT_texture_filter_anisotropic") ||
      context->hasExtension("GL_ARB_texture_filter_anisotropic")) {
    GLfloat anisotropy = 0;
    glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &anisotropy);
    l.maxAnisotropy = anisotropy >= 1 ? static_cast<uint32_t>(anisotropy) : 0;
  }
  l.lights = GlDevice::kMaxLights;
  l.fixedFunction = compatibility;
  while (glGetError() != GL_NO_ERROR) {
  }
  info.hardware = rm::DescribeRenderer(l);
  info.software = rm::DescribeRenderer(rm::SoftwareRendererLimits(GlDevice::kMaxLights));
  return true;
}

bool GlDeviceEnumerator::EnumDevices(const rm::EnumDevicesCallback& callback) {
  GlDeviceInfo info;
  if (QOpenGLContext::currentContext()) {
    if (!DescribeCurrentContext(info)) return false;
  } else {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
      ReportWarning("The OpenGL device cannot be listed without a GUI application");
      return false;
    }
    QOpenGLContext context;
    QOffscreenSurface surface;
    if (!context.create()) {
      ReportWarning("No OpenGL context can be made to list the 3D devices");
      return false;
    }
    surface.setFormat(context.format());
    surface.create();
    if (!context.makeCurrent(&surface)) {
      ReportWarning("The OpenGL context made to list the 3D devices cannot be used");
      return false;
    }
    const bool described = DescribeCurrentContext(info);
    context.doneCurrent();
    if (!described) return false;
  }
  callback(&info.guid, info.renderer.c_str(), info.vendor.c_str(), &info.hardware, &info.software);
  return true;
}

}  // namespace render
