#include "app/Commands.h"

#include <algorithm>
#include <cctype>

#include "diag/Dbug.h"
#include "lwlib/model/Mesh.h"
#include "lwlib/object/ObjectMesh.h"
#include "lwlib/object/TextureSearch.h"
#include "platform/Path.h"
#include "platform/Ui.h"

namespace {

void Tell(const char* text, const char* caption) { GetUi().MessageBox(text, caption, UiButtons::Ok, UiIcon::None); }

}  // namespace

int Commands::DispatchCommand(int command) {
  switch (command) {
    case CMD_EXIT:
      if (hooks_.quit) hooks_.quit();
      break;
    case CMD_LOAD_RM_LWO:
      LoadCommand("Load .lwo file", "LightWave Object File", "*.lwo", OBJECT_RM_LWO,
                  "Could not get LightWave object file");
      break;
    case CMD_INPUT_OPTIONS:
      if (hooks_.openViewOptions) hooks_.openViewOptions();
      break;
    case CMD_RENDER_OPTIONS:
      if (hooks_.openRenderOptions) hooks_.openRenderOptions();
      break;
    case CMD_DIRECTIONAL_LIGHT_COLOUR:
    case CMD_AMBIENT_LIGHT_COLOUR:
    case CMD_BACKGROUND_COLOUR: ColourCommand(command); break;
    case CMD_SAVE_X: {
      std::string path;
      if (!GetUi().ChooseSaveFile("Save as X file", {{"D3DRM X File", {"*.X"}}}, path)) break;
      if (!viewer_.current.mesh) {
        ReportWarning("There is no mesh to save as a .X file");
        break;
      }
      SaveMeshAsX(viewer_.current.mesh, viewer_.engine(), path.c_str());
      break;
    }
    case CMD_SAVE_MSH: {
      if (!viewer_.current.mesh) break;
      std::string path;
      if (!GetUi().ChooseSaveFile("Save .msh file", {{"Binary Mesh Format", {"*.msh"}}}, path)) break;
      MeshModel model;
      if (CaptureMeshModel(&model, viewer_.current.mesh)) SaveMeshModel(&model, path.c_str());
      FreeMeshModel(&model);
      break;
    }
    case CMD_LOAD_MSH:
      LoadCommand("Load .msh file", "Binary Mesh Format", "*.msh", OBJECT_MSH, "Could not get .msh file");
      break;
    case CMD_LOAD_X:
      LoadCommand("Load .X file", "D3DRM X File", "*.X", OBJECT_X, "Could not get .X file");
      break;
    default: break;  // the other commands come with their own parts of the viewer
  }
  return 0;
}

void Commands::LoadCommand(const char* title, const char* filterName, const char* pattern, int request,
                           const char* failure) {
  std::string path;
  if (!GetUi().ChooseOpenFile(title, {{filterName, {pattern}}}, path)) {
    Tell(failure, "Load file error");
    return;
  }
  LoadObject(path, request);
}

void Commands::ColourCommand(int command) {
  rm::Color colour = 0;
  if (command == CMD_BACKGROUND_COLOUR) {
    if (!viewer_.scene()) return;
    colour = viewer_.scene()->GetSceneBackground();
  } else {
    const rm::LightPtr& light =
        command == CMD_AMBIENT_LIGHT_COLOUR ? viewer_.ambientLight() : viewer_.directionalLight();
    if (!light) return;
    colour = light->GetColor();
  }
  UiColour c{rm::ColorRed(colour), rm::ColorGreen(colour), rm::ColorBlue(colour)};
  if (!GetUi().ChooseColour(c)) return;
  if (command == CMD_BACKGROUND_COLOUR)
    viewer_.scene()->SetSceneBackgroundRGB(c.red, c.green, c.blue);
  else if (command == CMD_AMBIENT_LIGHT_COLOUR)
    viewer_.ambientLight()->SetColorRGB(c.red, c.green, c.blue);
  else
    viewer_.directionalLight()->SetColorRGB(c.red, c.green, c.blue);
}

bool Commands::LoadObject(const std::string& path, int request) {
  const rm::EnginePtr& engine = viewer_.engine();
  rm::MeshPtr mesh;
  switch (request) {
    case OBJECT_RM_LWO: {
      const uint32_t options = ShowLoadOptions();
      const uint32_t flatShaded = (options & LOAD_OPTION_FLAT_SHADED) ? 1 : 0;
      GetTextureSearch().forceSearch = (options & LOAD_OPTION_FORCE_TEXTURE_SEARCH) ? 1 : 0;
      if (options & LOAD_OPTION_MANUAL_TEXTURE_SEARCH)
        mesh = LoadLightWaveObject(path.c_str(), engine, TextureLoadCallback, &GetTextureSearch(), flatShaded);
      else
        mesh = LoadLightWaveObject(path.c_str(), engine, nullptr, nullptr, flatShaded + 2);
      if (!mesh) {
        GetUi().MessageBox("Failed to load.lwo file", "Error", UiButtons::Ok, UiIcon::None);
        return false;
      }
      break;
    }
    case OBJECT_MSH: {
      MeshModel model;
      if (LoadMeshModel(&model, path.c_str(), engine, TextureLoadCallback, &GetTextureSearch()))
        mesh = BuildRMMesh(&model, engine);
      FreeMeshModel(&model);
      break;
    }
    case OBJECT_X: {
      rm::MeshBuilderPtr builder = engine->CreateMeshBuilder();
      if (builder && builder->Load(path)) mesh = builder->CreateMesh();
      break;
    }
    default: return false;
  }
  if (!mesh) return false;  // the loader has said why
  UnloadObject();
  viewer_.current = {true, request, mesh};
  AttachObject(viewer_.meshFrame(), mesh);
  Fit();
  return true;
}

void Commands::Fit() {
  const rm::FramePtr& frame = viewer_.meshFrame();
  rm::Box box;
  if (!frame || !viewer_.current.mesh || !viewer_.current.mesh->GetBox(&box)) return;
  const rm::Vector size = box.max - box.min;
  const rm::Vector offset = rm::Vector{} - box.min - size * 0.5f;
  const float s = std::max({size.x, size.y, size.z});
  // A mesh that is a single point is only centred.
  if (s > 0) frame->AddScale(rm::COMBINE_BEFORE, 10 / s, 10 / s, 10 / s);
  frame->AddTranslation(rm::COMBINE_BEFORE, offset.x, offset.y, offset.z);
  if (hooks_.refreshTreeView) hooks_.refreshTreeView();
}

void Commands::UnloadObject() {
  if (const rm::FramePtr& frame = viewer_.meshFrame()) frame->AddTransform(rm::COMBINE_REPLACE, rm::Matrix4{});
  CurrentObject& current = viewer_.current;
  if (!current.loaded) return;
  if (current.mesh) DetachObject(viewer_.meshFrame(), current.mesh);
  current = {};
}

bool Commands::OpenFile(const std::string& path) {
  std::string extension = SplitPath(path).extension;
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (extension == ".lwo") return LoadObject(path, OBJECT_RM_LWO);
  if (extension == ".msh") return LoadObject(path, OBJECT_MSH);
  if (extension == ".x") return LoadObject(path, OBJECT_X);
  const std::string text = "Can not open " + path + ": only .lwo, .msh and .x files are shown";
  GetUi().MessageBox(text, "Load file error", UiButtons::Ok, UiIcon::None);
  return false;
}
