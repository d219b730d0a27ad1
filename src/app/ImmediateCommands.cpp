// Objects drawn through the immediate-mode path (load kinds 4 and 32) and the
// split test. The message texts are the program's own.
#include "app/Commands.h"
#include "diag/Dbug.h"
#include "immediate/SplitTest.h"
#include "lwlib/model/Mesh.h"
#include "lwlib/object/ObjectMesh.h"
#include "lwlib/object/TextureSearch.h"
#include "platform/Ui.h"

namespace {

constexpr float kAmbient = 0.5f;
constexpr uint32_t kViewerVisualFlags = USERVISUAL_KEEP_INTERFACES | USERVISUAL_PASS_INTERFACES | USERVISUAL_VIEWER;

}  // namespace

bool Commands::LoadImmediate(const std::string& path, int request) {
  const rm::EnginePtr& engine = viewer_.engine();
  CurrentObject& current = viewer_.current;
  MeshModel model;
  rm::MeshPtr mesh;
  if (request == OBJECT_IMMEDIATE) {
    const uint32_t options = ShowLoadOptions();
    Failure why;
    mesh = LoadLightWaveObject(path.c_str(), engine,
                               (options & LOAD_OPTION_MANUAL_TEXTURE_SEARCH) ? AskTextureCallback : nullptr, nullptr, 0,
                               &why);
    if (!mesh) {
      GetUi().MessageBox("Failed to load Immediate Mode Object", "Error", UiButtons::Ok, UiIcon::None, why.FileText());
      return false;
    }
  } else {
    Failure why;
    if (!LoadMeshModel(&model, path.c_str(), engine, TextureLoadCallback, &GetTextureSearch(), &why)) {
      ReportWarning(DebugFormat("Load %s", why.FileText().c_str()));
      FreeMeshModel(&model);
      return false;
    }
  }
  UnloadObject();
  current.kind = OBJECT_IMMEDIATE;
  current.loaded = true;
  current.colouredSource = request == OBJECT_COLOURED_MSH;
  current.mesh = current.colouredSource ? BuildRMMesh(&model, engine) : mesh;
  FreeMeshModel(&model);
  RemakeImmediate();
  Fit();
  return true;
}

void Commands::UnloadImmediate() {
  CurrentObject& current = viewer_.current;
  DetachUserVisual(current.userVisual);
  current.userVisual = nullptr;
  if (current.immediateInUse) FreeImmediateObject(&current.immediate);
  if (current.colouredInUse) FreeImmediateObject(&current.coloured);
  current.immediateInUse = current.colouredInUse = false;
}

void Commands::RemakeImmediate() {
  CurrentObject& current = viewer_.current;
  if (!current.loaded || current.kind != OBJECT_IMMEDIATE || !current.mesh) return;
  // The cached interfaces, materials and textures were the old device's.
  ForgetImmediateInterfaces(current.userVisual);
  const rm::DevicePtr& device = viewer_.device();
  const bool coloured = current.colouredSource;
  ImmediateObject& object = coloured ? current.coloured : current.immediate;
  bool built = false;
  if (device && !coloured) {
    built = BuildImmediateObject(&object, current.mesh, *device, kAmbient, kAmbient, kAmbient, kAmbient);
  } else if (device) {
    // The coloured model was given back after the load; the mesh made from
    // it holds the same vertices and colours.
    MeshModel model;
    built = CaptureMeshModel(&model, current.mesh) &&
            BuildColouredImmediateObject(&object, &model, *device, kAmbient, kAmbient, kAmbient, kAmbient);
    FreeMeshModel(&model);
  }
  (coloured ? current.colouredInUse : current.immediateInUse) = built;
  if (device && !built) ReportWarning("The immediate-mode object could not be built; it is drawn as a mesh");
  if (built && !current.userVisual) {
    current.userVisual = AttachUserVisual(viewer_.meshFrame(), viewer_.engine(), AlwaysVisible, nullptr,
                                          coloured ? RenderColouredObject : RenderImmediateObject, &object,
                                          kViewerVisualFlags);
    if (!current.userVisual) ReportWarning("The immediate-mode object has no visual; it is drawn as a mesh");
  } else if (!built && current.userVisual) {
    DetachUserVisual(current.userVisual);
    current.userVisual = nullptr;
  }
  // Without the immediate-mode path the object is still shown, drawn as a mesh.
  if (current.userVisual) DetachObject(viewer_.meshFrame(), current.mesh);
  else AttachObject(viewer_.meshFrame(), current.mesh);
}

void Commands::RunSplitTest() {
  rm::DirectDrawPtr draw;
  rm::DDSurfacePtr target;
  if (const rm::DevicePtr& device = viewer_.device())
    if (rm::ImDevicePtr immediate = device->GetDirect3DDevice())
      if (immediate->GetRenderTarget(&target) == rm::DD_OK && target) draw = target->GetDDInterface();
  SplitTest(draw);
}
