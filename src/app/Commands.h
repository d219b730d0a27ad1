// The viewer's command set: one dispatcher over the command numbers, the
// current object's load, fit and unload, the colour, save and export commands.
// All questions go through the Ui and the dialog hooks, so tests run every
// command with a scripted Ui and no widgets.
#pragma once

#include <functional>
#include <string>

#include "app/CommandControllers.h"
#include "app/CommandTable.h"
#include "app/Viewer.h"
#include "lwlib/model/Bsp.h"
#include "psx/HmdExport.h"

class Commands {
 public:
  // What only the window can do; a missing hook does nothing, except where
  // said.
  struct Hooks {
    std::function<void()> quit;
    std::function<void()> openViewOptions;
    std::function<void()> openRenderOptions;
    std::function<void()> refreshTreeView;
    std::function<void()> openTreeView;
    std::function<void()> chooseDevice;
    std::function<void()> about;
    // Dialog 117, modal.
    std::function<void(AnimationSettingsController&)> animationSettings;
    // "HMD Conversion options", modal; false when it was closed without OK.
    // Without the hook the options stand as they are.
    std::function<bool(HmdOptionsController&)> hmdOptions;
    // Runs the external tools of an export and ends it with FinishHmdExport,
    // then calls ToolsFinished. Without the hook they run here, waiting.
    std::function<void(HmdExportPlan)> runHmdTools;
    // A long BSP build shows its progress through this (null: none).
    BspProgress bspProgress = nullptr;
    void* bspProgressData = nullptr;
    // The statistics of a finished BSP build; without it they go to the Ui.
    std::function<void(const std::string&)> bspResult;
    // OpenFootballerEditor (command 40033).
    std::function<void()> footballEditor;
  };

  Commands(Viewer& viewer, Hooks hooks);
  ~Commands();

  // Runs one command; numbers without an action do nothing. Always 0.
  int DispatchCommand(int command);
  // request: an ObjectKind. Failures are reported here; true when the object
  // was loaded.
  bool LoadObject(const std::string& path, int request);
  void UnloadObject();
  // Opens a file as the load command of `request` (OBJECT_NONE: the one for its
  // extension: .lwo, .msh, .x, .lws as a scene) would; false when it did not
  // load (with a message for any other kind of file).
  bool OpenFile(const std::string& path, int request = OBJECT_NONE);

  // The directory the program started in: the HMD tools are looked for there first.
  void SetStartupDirectory(std::string directory) { startupDirectory_ = std::move(directory); }
  const std::string& startupDirectory() const { return startupDirectory_; }

  // While an export's tools run, the commands that load, unload or export do
  // nothing (the window shows them disabled).
  bool toolsRunning() const { return toolsRunning_; }
  void ToolsFinished() { toolsRunning_ = false; }
  static bool BlockedWhileToolsRun(int command);
  // Whether a command has an action in this build.
  static bool HasAction(int command);

 private:
  void LoadCommand(const char* title, const char* filterName, const char* pattern, int request,
                   const char* failure);
  bool LoadScene(const std::string& path, int request);
  void Fit();
  void ColourCommand(int command);
  void HmdExportCommand(int command);
  void GenerateBspTree();
  // Load kinds 4 and 32, their unload, and what a new display needs
  // (ImmediateCommands.cpp).
  bool LoadImmediate(const std::string& path, int request);
  void UnloadImmediate();
  void RemakeImmediate();
  void RunSplitTest();

  Viewer& viewer_;
  Hooks hooks_;
  std::string startupDirectory_ = ".";
  bool toolsRunning_ = false;
};
