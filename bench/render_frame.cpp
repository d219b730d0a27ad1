// Frame time of the OpenGL device for a lit mesh of n triangles drawn into a
// 400 x 343 framebuffer (the viewer's first-frame client area), glFinish
// included. Run on a display: cmake/with-display build/.../render_frame_bench
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <cmath>
#include <memory>
#include <vector>

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>

#include "render/GlDevice.h"

namespace {

// A sphere-like grid of about `triangles` triangles of radius 5.
rm::MeshPtr Sphere(const rm::EnginePtr& engine, int triangles) {
  const int rings = static_cast<int>(std::sqrt(triangles / 2.0));
  const int segments = rings;
  std::vector<rm::Vertex> vertices;
  for (int r = 0; r <= rings; ++r)
    for (int s = 0; s <= segments; ++s) {
      const float theta = static_cast<float>(M_PI) * r / rings, phi = 2 * static_cast<float>(M_PI) * s / segments;
      rm::Vertex v;
      v.normal = {std::sin(theta) * std::cos(phi), std::cos(theta), std::sin(theta) * std::sin(phi)};
      v.position = v.normal * 5;
      vertices.push_back(v);
    }
  std::vector<uint32_t> faces;
  for (int r = 0; r < rings; ++r)
    for (int s = 0; s < segments; ++s) {
      const uint32_t a = r * (segments + 1) + s, b = a + segments + 1;
      faces.insert(faces.end(), {a, b, a + 1, a + 1, b, b + 1});
    }
  rm::MeshPtr mesh = engine->CreateMesh();
  mesh->AddGroup(static_cast<uint32_t>(vertices.size()), static_cast<uint32_t>(faces.size() / 3), 3, faces);
  mesh->SetVertices(0, 0, static_cast<uint32_t>(vertices.size()), vertices.data());
  return mesh;
}

void BM_RenderFrame(benchmark::State& state) {
  static int argc = 1;
  static char name[] = "render_frame_bench";
  static char* argv[] = {name, nullptr};
  static QGuiApplication app(argc, argv);
  QSurfaceFormat format;
  format.setDepthBufferSize(24);
  format.setVersion(3, 0);
  QOpenGLContext context;
  context.setFormat(format);
  QOffscreenSurface surface;
  if (!context.create()) return state.SkipWithError("no OpenGL context");
  surface.setFormat(context.format());
  surface.create();
  context.makeCurrent(&surface);
  {
    QOpenGLFramebufferObject fbo(400, 343, QOpenGLFramebufferObject::Depth);
    fbo.bind();
    rm::EnginePtr engine = rm::Engine::Create();
    rm::FramePtr scene = engine->CreateFrame();
    rm::FramePtr camera = engine->CreateFrame(scene);
    camera->SetPosition(nullptr, 0, 0, -20);
    scene->AddLight(engine->CreateLightRGB(rm::LIGHT_AMBIENT, 0.3f, 0.3f, 0.3f));
    rm::FramePtr lightFrame = engine->CreateFrame(scene);
    lightFrame->SetOrientation(nullptr, 0.4f, -0.6f, 1, 0, 1, 0);
    lightFrame->AddLight(engine->CreateLightRGB(rm::LIGHT_DIRECTIONAL, 0.7f, 0.7f, 0.7f));
    scene->AddVisual(Sphere(engine, static_cast<int>(state.range(0))));
    auto device = render::GlDevice::Create(400, 343);
    if (!device) return state.SkipWithError("no OpenGL device");
    rm::ViewportPtr viewport = engine->CreateViewport(device, camera, 0, 0, 400, 343);
    viewport->Clear();
    viewport->Render(*scene);  // the first frame sends the mesh to the GPU
    glFinish();
    for (auto _ : state) {
      viewport->Clear();
      viewport->Render(*scene);
      glFinish();
    }
    device->ReleaseResources();
  }
  context.doneCurrent();
}
BENCHMARK(BM_RenderFrame)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
