// Frame time of the OpenGL device for a lit sphere of n triangles drawn into a
// 400 x 343 framebuffer (the viewer's first-frame client area), glFinish
// included, Gouraud (shading 1) and flat (0), beside the same sphere drawn by
// a minimal program: one static buffer and a one-light shader. Reports
// triangles a second and page faults a frame. Run on a display:
//   cmake/with-display build/.../render_frame_bench [--default-heap]
// (--default-heap leaves the C library's heap setting as it is, --general
// draws through the device's general program only, to compare).
// The OpenGL 2 and 3 entry points are called directly; Qt's headers include
// GL/gl.h themselves, so the prototypes are asked for before them.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <sys/resource.h>

#include <cmath>
#include <cstring>
#include <ctime>
#include <memory>
#include <vector>


#include "render/FrameHeap.h"
#include "render/GlDevice.h"

namespace {

struct SphereData {
  std::vector<rm::Vertex> vertices;
  std::vector<uint32_t> faces;
};

// A sphere of about `triangles` triangles of radius 5, its faces clockwise
// as seen from outside (the front the device draws).
SphereData MakeSphere(int triangles) {
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
      faces.insert(faces.end(), {a, a + 1, b, a + 1, b + 1, b});
    }
  return {std::move(vertices), std::move(faces)};
}

rm::MeshPtr Sphere(const rm::EnginePtr& engine, int triangles, rm::RenderQuality quality) {
  SphereData d = MakeSphere(triangles);
  std::vector<rm::Vertex>& vertices = d.vertices;
  std::vector<uint32_t>& faces = d.faces;
  rm::MeshPtr mesh = engine->CreateMesh();
  mesh->AddGroup(static_cast<uint32_t>(vertices.size()), static_cast<uint32_t>(faces.size() / 3), 3, faces);
  mesh->SetVertices(0, 0, static_cast<uint32_t>(vertices.size()), vertices.data());
  mesh->SetGroupQuality(0, quality);
  return mesh;
}

// CPU time of every thread of the process (the rasteriser's own included), in
// milliseconds: steadier than wall time on a loaded machine.
double ProcessCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

long MinorFaults() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_minflt;
}

void Report(benchmark::State& state, size_t triangles, long faults, double cpuMs) {
  state.counters["cpu_ms/frame"] = cpuMs / std::max<double>(state.iterations(), 1);
  state.counters["triangles/s"] = benchmark::Counter(static_cast<double>(triangles) * state.iterations(),
                                                     benchmark::Counter::kIsRate);
  state.counters["faults/frame"] = static_cast<double>(faults) / std::max<double>(state.iterations(), 1);
}

bool g_general = false;

// The viewer's lights: ambient 0.3 and a directional 0.7 along (0.4, -0.6, 1).
constexpr float kLight[3] = {0.4f, -0.6f, 1.0f};

QGuiApplication& App() {
  static int argc = 1;
  static char name[] = "render_frame_bench";
  static char* argv[] = {name, nullptr};
  static QGuiApplication app(argc, argv);
  return app;
}

// An OpenGL 3.0 context, current, drawing into a 400 x 343 frame buffer with a
// depth buffer: the viewer's first-frame view.
struct OffscreenView {
  QGuiApplication& app = App();  // before any Qt object of the view
  QOpenGLContext context;
  QOffscreenSurface surface;
  std::unique_ptr<QOpenGLFramebufferObject> fbo;
  bool Make() {
    QSurfaceFormat format;
    format.setDepthBufferSize(24);
    format.setVersion(3, 0);
    context.setFormat(format);
    if (!context.create()) return false;
    surface.setFormat(context.format());
    surface.create();
    context.makeCurrent(&surface);
    fbo = std::make_unique<QOpenGLFramebufferObject>(400, 343, QOpenGLFramebufferObject::Depth);
    return fbo->bind();
  }
  ~OffscreenView() {
    fbo.reset();
    if (QOpenGLContext::currentContext() == &context) context.doneCurrent();
  }
};

void BM_RenderFrame(benchmark::State& state) {
  OffscreenView view;
  if (!view.Make()) return state.SkipWithError("no OpenGL context");
  {
    rm::EnginePtr engine = rm::Engine::Create();
    rm::FramePtr scene = engine->CreateFrame();
    rm::FramePtr camera = engine->CreateFrame(scene);
    camera->SetPosition(nullptr, 0, 0, -20);
    scene->AddLight(engine->CreateLightRGB(rm::LIGHT_AMBIENT, 0.3f, 0.3f, 0.3f));
    rm::FramePtr lightFrame = engine->CreateFrame(scene);
    lightFrame->SetOrientation(nullptr, kLight[0], kLight[1], kLight[2], 0, 1, 0);
    lightFrame->AddLight(engine->CreateLightRGB(rm::LIGHT_DIRECTIONAL, 0.7f, 0.7f, 0.7f));
    const rm::RenderQuality quality = state.range(1) ? rm::RENDER_GOURAUD : rm::RENDER_FLAT;
    rm::MeshPtr mesh = Sphere(engine, static_cast<int>(state.range(0)), quality);
    const size_t triangles = mesh->Group(0)->faceData.size() / 3;
    scene->AddVisual(mesh);
    auto device = render::GlDevice::Create(400, 343);
    if (!device) return state.SkipWithError("no OpenGL device");
    device->SetSpecialisedPrograms(!g_general);
    // As the viewer does: the device's quality caps every group's, and a new
    // device starts flat.
    device->SetQuality(quality);
    rm::ViewportPtr viewport = engine->CreateViewport(device, camera, 0, 0, 400, 343);
    viewport->Clear();
    viewport->Render(*scene);  // the first frame sends the mesh to the GPU
    glFinish();
    const long faults = MinorFaults();
    const double cpu = ProcessCpuMs();
    for (auto _ : state) {
      viewport->Clear();
      viewport->Render(*scene);
      glFinish();
    }
    Report(state, triangles, MinorFaults() - faults, ProcessCpuMs() - cpu);
    device->ReleaseResources();
  }
}
BENCHMARK(BM_RenderFrame)
    ->ArgNames({"triangles", "gouraud"})
    ->ArgsProduct({{100000, 1000000}, {1, 0}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

GLuint Shader(GLenum type, const char* source) {
  const GLuint s = glCreateShader(type);
  glShaderSource(s, 1, &source, nullptr);
  glCompileShader(s);
  return s;
}

// The yardstick: the same sphere, light and view through one static vertex
// buffer (with its index buffer) and a one-light shader; lit per vertex for
// Gouraud, per face (the provoking vertex's colour, flat) for flat.
void BM_MinimalProgram(benchmark::State& state) {
  OffscreenView view;
  if (!view.Make()) return state.SkipWithError("no OpenGL context");
  {
    const bool gouraud = state.range(1) != 0;
    const SphereData d = MakeSphere(static_cast<int>(state.range(0)));
    std::vector<float> data;
    for (const rm::Vertex& v : d.vertices)
      data.insert(data.end(), {v.position.x, v.position.y, v.position.z, v.normal.x, v.normal.y, v.normal.z});
    const std::string q = gouraud ? "" : "flat ";
    const std::string vs = "#version 130\nuniform mat4 uMvp;\nuniform vec3 uL;\nin vec3 aPos;\nin vec3 aNormal;\n" +
                           q + "out vec4 vColor;\nvoid main() {\n  vColor = vec4(vec3(0.3) + vec3(0.7) * max(dot(aNormal, uL), 0.0), 1.0);\n"
                               "  gl_Position = uMvp * vec4(aPos, 1.0);\n}\n";
    const std::string fs = "#version 130\n" + q + "in vec4 vColor;\nvoid main() { gl_FragColor = vColor; }\n";
    const GLuint program = glCreateProgram();
    glAttachShader(program, Shader(GL_VERTEX_SHADER, vs.c_str()));
    glAttachShader(program, Shader(GL_FRAGMENT_SHADER, fs.c_str()));
    glBindAttribLocation(program, 0, "aPos");
    glBindAttribLocation(program, 1, "aNormal");
    glLinkProgram(program);
    GLuint vao = 0, buffers[2] = {};
    glGenVertexArrays(1, &vao);
    glBindVertexArray(vao);
    glGenBuffers(2, buffers);
    glBindBuffer(GL_ARRAY_BUFFER, buffers[0]);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(data.size() * 4), data.data(), GL_STATIC_DRAW);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers[1]);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(d.faces.size() * 4), d.faces.data(), GL_STATIC_DRAW);
    glEnableVertexAttribArray(0);
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 24, nullptr);
    glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, 24, reinterpret_cast<const void*>(12));
    glUseProgram(program);
    // Camera at z = -20 looking along +z, field 0.5 over the wider side.
    const float k = 400.0f / (2 * 0.5f), n = 1, f = 100;
    const float mvp[16] = {2 * k / 400, 0, 0, 0, 0, 2 * k / 343, 0, 0, 0, 0, (f + n) / (f - n), 1,
                           0, 0, -2 * f * n / (f - n) + 20 * (f + n) / (f - n), 20};
    glUniformMatrix4fv(glGetUniformLocation(program, "uMvp"), 1, GL_FALSE, mvp);
    const float len = std::sqrt(kLight[0] * kLight[0] + kLight[1] * kLight[1] + kLight[2] * kLight[2]);
    glUniform3f(glGetUniformLocation(program, "uL"), -kLight[0] / len, -kLight[1] / len, -kLight[2] / len);
    glViewport(0, 0, 400, 343);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CW);
    auto frame = [&] {
      glClearColor(0.3f, 0.3f, 0.3f, 1);
      glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
      glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(d.faces.size()), GL_UNSIGNED_INT, nullptr);
      glFinish();
    };
    frame();
    const long faults = MinorFaults();
    const double cpu = ProcessCpuMs();
    for (auto _ : state) frame();
    Report(state, d.faces.size() / 3, MinorFaults() - faults, ProcessCpuMs() - cpu);
    glDeleteBuffers(2, buffers);
    glDeleteVertexArrays(1, &vao);
    glDeleteProgram(program);
  }
}
BENCHMARK(BM_MinimalProgram)
    ->ArgNames({"triangles", "gouraud"})
    ->ArgsProduct({{100000, 1000000}, {1, 0}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  bool defaultHeap = false;
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--default-heap") == 0) defaultHeap = true;
    else if (std::strcmp(argv[i], "--general") == 0) g_general = true;
    else argv[kept++] = argv[i];
  }
  argc = kept;
  // As the viewer does: see KeepFrameMemory.
  if (!defaultHeap) render::KeepFrameMemory();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
