#include "app/Commands.h"

#include <algorithm>
#include <cctype>

#include "diag/Dbug.h"
#include "lwlib/model/Bsp.h"
#include "lwlib/model/Mesh.h"
#include "lwlib/object/ObjectMesh.h"
#include "lwlib/object/TextureSearch.h"
#include "platform/Path.h"
#include "platform/Ui.h"
#include "psx/Hmd.h"

namespace {

void Tell(const char* text, const char* caption) { GetUi().MessageBox(text, caption, UiButtons::Ok, UiIcon::None); }

}  // namespace

bool Commands::BlockedWhileToolsRun(int command) {
  switch (command) {
    case CMD_LOAD_RM_LWO:
    case CMD_LOAD_IM_LWO:
    case CMD_LOAD_MSH:
    case CMD_LOAD_X:
    case CMD_LOAD_COLOURED_MSH:
    case CMD_LOAD_LWS_ANIMATION:
    case CMD_LOAD_LWS_SCENE:
    case CMD_SAVE_X:
    case CMD_SAVE_MSH:
    case CMD_SAVE_BINARY_HMD:
    case CMD_SAVE_PROCESSED_LAB:
    case CMD_SAVE_UNPROCESSED_LAB: return true;
    default: return false;
  }
}

bool Commands::HasAction(int command) { return FindMenuEntry(command) != nullptr; }

Commands::Commands(Viewer& viewer, Hooks hooks) : viewer_(viewer), hooks_(std::move(hooks)) {
  viewer_.SetDisplayHook([this] { RemakeImmediate(); });
}

Commands::~Commands() { viewer_.SetDisplayHook(nullptr); }

int Commands::DispatchCommand(int command) {
  if (toolsRunning_ && BlockedWhileToolsRun(command)) return 0;
  switch (command) {
    case CMD_EXIT:
      if (hooks_.quit) hooks_.quit();
      break;
    case CMD_FOOTBALL_EDITOR:
      if (hooks_.footballEditor) hooks_.footballEditor();
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
    case CMD_TREE_VIEW:
      if (hooks_.openTreeView) hooks_.openTreeView();
      break;
    case CMD_CHOOSE_DEVICE:
      if (hooks_.chooseDevice) hooks_.chooseDevice();
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
      else ReportWarning(DebugFormat("Could not write mesh file %s: the mesh could not be read", path.c_str()));
      FreeMeshModel(&model);
      break;
    }
    case CMD_LOAD_MSH:
      LoadCommand("Load .msh file", "Binary Mesh Format", "*.msh", OBJECT_MSH, "Could not get .msh file");
      break;
    case CMD_LOAD_X:
      LoadCommand("Load .X file", "D3DRM X File", "*.X", OBJECT_X, "Could not get .X file");
      break;
    case CMD_LOAD_LWS_ANIMATION:
      LoadCommand("Load .lws file", "LightWave Scene File", "*.lws", OBJECT_LWS_ANIMATION, "Could not get .lws file");
      break;
    case CMD_LOAD_LWS_SCENE:
      LoadCommand("Load .lws file", "LightWave Scene File", "*.lws", OBJECT_LWS_SCENE, "Could not get .lws file");
      break;
    case CMD_ABOUT:
      if (hooks_.about) hooks_.about();
      break;
    case CMD_ANIM_ROTATION_ORDER:
      if (hooks_.animationSettings) {
        AnimationSettingsController controller(GetAnimationSettings());
        hooks_.animationSettings(controller);
      }
      break;
    case CMD_SAVE_BINARY_HMD:
    case CMD_SAVE_PROCESSED_LAB:
    case CMD_SAVE_UNPROCESSED_LAB: HmdExportCommand(command); break;
    case CMD_GENERATE_BSP: GenerateBspTree(); break;
    case CMD_LOAD_IM_LWO:
      LoadCommand("Load .lwo file", "LightWave Object File", "*.lwo", OBJECT_IMMEDIATE,
                  "Could not get LightWave object file");
      break;
    case CMD_LOAD_COLOURED_MSH:
      LoadCommand("Load .msh file", "Coloured .msh file", "*.msh", OBJECT_COLOURED_MSH, "Could not get .msh file");
      break;
    case CMD_SPLIT_TEST: RunSplitTest(); break;
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
      Failure why;
      if (options & LOAD_OPTION_MANUAL_TEXTURE_SEARCH)
        mesh = LoadLightWaveObject(path.c_str(), engine, TextureLoadCallback, &GetTextureSearch(), flatShaded, &why);
      else
        mesh = LoadLightWaveObject(path.c_str(), engine, nullptr, nullptr, flatShaded + 2, &why);
      if (!mesh) {
        GetUi().MessageBox("Failed to load.lwo file", "Error", UiButtons::Ok, UiIcon::None, why.FileText());
        return false;
      }
      break;
    }
    case OBJECT_MSH: {
      MeshModel model;
      Failure why;
      if (LoadMeshModel(&model, path.c_str(), engine, TextureLoadCallback, &GetTextureSearch(), &why))
        mesh = BuildRMMesh(&model, engine);
      else
        ReportWarning(DebugFormat("Load %s", why.FileText().c_str()));
      FreeMeshModel(&model);
      break;
    }
    case OBJECT_X: {
      rm::MeshBuilderPtr builder = engine->CreateMeshBuilder();
      if (builder && builder->Load(path)) mesh = builder->CreateMesh();
      break;
    }
    case OBJECT_LWS_SCENE:
    case OBJECT_LWS_ANIMATION: return LoadScene(path, request);
    case OBJECT_IMMEDIATE:
    case OBJECT_COLOURED_MSH: return LoadImmediate(path, request);
    default: return false;
  }
  if (!mesh) return false;  // the loader has said why
  UnloadObject();
  viewer_.current = {true, request, mesh, nullptr, nullptr};
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
  if (current.kind == OBJECT_IMMEDIATE) UnloadImmediate();
  if (current.mesh) DetachObject(viewer_.meshFrame(), current.mesh);
  if (current.scene) FreeScene(*current.scene);
  FreeAnimation(current.animation);  // also takes its frames out of "Mesh"
  // A scene played with its camera moved the viewer's camera; the next
  // object is seen from where the camera starts.
  if (current.kind == OBJECT_LWS_SCENE && viewer_.camera()) {
    viewer_.camera()->AddTransform(rm::COMBINE_REPLACE, rm::Matrix4{});
    viewer_.PlaceCamera();
  }
  current = {};
}

bool Commands::LoadScene(const std::string& path, int request) {
  const rm::EnginePtr& engine = viewer_.engine();
  const PathParts parts = SplitPath(path);
  const std::string directory = parts.drive + parts.directory;
  GetTextureSearch().forceSearch = 0;
  auto scene = std::make_unique<Scene>();
  // Read first and told apart from an empty scene: a file that is not a
  // scene must not replace what is shown.
  Failure why;
  AnimationPtr animation;
  if (::LoadScene(*scene, path.c_str(), &why)) animation = CreateAnimation(*scene, engine, &why);
  if (!animation) {
    FreeScene(*scene);
    Fail(&why, "its objects' parents do not form a tree");  // when nothing said more
    if (why.file.empty()) why.file = path;  // the animation's reasons name no file
    GetUi().MessageBox("Failed to load .lws file", "Error", UiButtons::Ok, UiIcon::None, why.FileText());
    return false;
  }
  // The earlier object goes: a scene beside it would leave it attached for
  // good, as nothing would unload it any more.
  UnloadObject();
  LoadObjectVisuals(*animation, engine, BuildObjectPath, directory.empty() ? nullptr : directory.c_str(), nullptr,
                    nullptr, 0);
  AttachAnimation(viewer_.meshFrame(), *animation);
  if (request == OBJECT_LWS_SCENE) {
    CreateSceneLights(*scene, *animation, engine, nullptr);
    CopySceneCamera(*scene, *animation);
  }
  viewer_.current = {true, request, nullptr, std::move(scene), std::move(animation)};
  viewer_.PoseAnimation();
  if (hooks_.refreshTreeView) hooks_.refreshTreeView();
  return true;
}

void Commands::HmdExportCommand(int command) {
  const rm::MeshPtr mesh = viewer_.current.mesh;
  if (!viewer_.current.loaded || !mesh) return;
  const bool binary = command == CMD_SAVE_BINARY_HMD;
  std::string path;
  if (!GetUi().ChooseSaveFile(binary ? "Save .hmd file" : "Save .lab file",
                              {{binary ? "HMD Binary file" : "HMD Lab Text File", {binary ? "*.hmd" : "*.lab"}}}, path))
    return;
  const HmdBox box = MeshBox(mesh);
  HmdOptionsController options(GetHmdConversionFlags(), ProposeHmdScale(box), box);
  if (hooks_.hmdOptions && !hooks_.hmdOptions(options)) return;
  const auto convert = [&](const std::string& base, std::string& labPath) {
    return ConvertToHmd(base, mesh, options.xScale(), options.yScale(), options.zScale(), options.flags(), &labPath);
  };
  HmdExportPlan plan;
  if (!PrepareHmdExport(static_cast<HmdExportKind>(command), path, convert, startupDirectory_, plan)) return;
  if (!plan.steps.empty() && hooks_.runHmdTools) {
    toolsRunning_ = true;
    hooks_.runHmdTools(std::move(plan));
    return;
  }
  RunHmdExportPlan(plan);
}

void Commands::GenerateBspTree() {
  std::string path;
  if (!GetUi().ChooseOpenFile("Load .lwo file for conversion", {{"LightWave Object File", {"*.lwo"}}}, path)) return;
  Failure why;
  const rm::MeshPtr mesh = LoadLightWaveObject(path.c_str(), viewer_.engine(), nullptr, nullptr, 0, &why);
  if (!mesh) {
    GetUi().MessageBox("Failed to load.lwo file", "Error", UiButtons::Ok, UiIcon::None, why.FileText());
    return;
  }
  MeshModel model;
  BspTree tree;
  bool built = false;
  if (CaptureMeshModel(&model, mesh)) {
    SetBspProgress(hooks_.bspProgress, hooks_.bspProgressData);
    built = BuildBspTree(tree, model, BSP_TREE_SPLIT);
    SetBspProgress(nullptr, nullptr);
  }
  FreeMeshModel(&model);
  std::string text;
  if (built) {
    const BspCounters c = GetBspCounters();
    text = DebugFormat("Model with %i polys generated %i nodes with %i splits in BSP tree", c.trianglesIn, c.nodes,
                       c.splits);
  } else {
    text = std::string("The BSP tree could not be built: ") +
           (*GetBspLastError() ? GetBspLastError() : "the model could not be captured");
  }
  if (hooks_.bspResult) hooks_.bspResult(text);
  else Tell(text.c_str(), "Generate BSP Tree");
}

bool Commands::OpenFile(const std::string& path, int request) {
  if (toolsRunning_) return false;
  if (request != OBJECT_NONE) return LoadObject(path, request);
  std::string extension = SplitPath(path).extension;
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (extension == ".lwo") return LoadObject(path, OBJECT_RM_LWO);
  if (extension == ".msh") return LoadObject(path, OBJECT_MSH);
  if (extension == ".x") return LoadObject(path, OBJECT_X);
  if (extension == ".lws") return LoadObject(path, OBJECT_LWS_SCENE);
  const std::string text = "Can not open " + path + ": only .lwo, .lws, .msh and .x files are shown";
  GetUi().MessageBox(text, "Load file error", UiButtons::Ok, UiIcon::None);
  return false;
}
