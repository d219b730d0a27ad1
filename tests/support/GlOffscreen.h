// An OpenGL 3.0 compatibility context made current on an off-screen surface,
// with a depth-buffered framebuffer of the given size bound: where the drawing
// tests render and read their pixels back.
#pragma once

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <memory>

namespace testsupport {

class GlOffscreen {
 public:
  // False when any step cannot be made.
  bool Make(int size) {
    static int argc = 1;
    static char name[] = "gl_tests";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);  // Qt needs it before the context
    QSurfaceFormat format;
    format.setDepthBufferSize(24);
    format.setVersion(3, 0);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    context_ = std::make_unique<QOpenGLContext>();
    context_->setFormat(format);
    surface_ = std::make_unique<QOffscreenSurface>();
    if (!context_->create()) return false;
    surface_->setFormat(context_->format());
    surface_->create();
    if (!context_->makeCurrent(surface_.get())) return false;
    fbo_ = std::make_unique<QOpenGLFramebufferObject>(size, size, QOpenGLFramebufferObject::Depth);
    return fbo_->bind();
  }
  void Release() {
    fbo_.reset();
    if (context_) context_->doneCurrent();
  }
  ~GlOffscreen() { Release(); }

 private:
  std::unique_ptr<QOpenGLContext> context_;
  std::unique_ptr<QOffscreenSurface> surface_;
  std::unique_ptr<QOpenGLFramebufferObject> fbo_;
};

}  // namespace testsupport
