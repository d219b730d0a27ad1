// The viewer's command set: one dispatcher over the command numbers, the
// current object's load, fit and unload, the colour and save commands. All
// questions go through the Ui, so tests run every command with a scripted one.
#pragma once

#include <functional>
#include <string>

#include "app/CommandTable.h"
#include "app/Viewer.h"

class Commands {
 public:
  // What only the window can do; a missing hook does nothing.
  struct Hooks {
    std::function<void()> quit;
    std::function<void()> openViewOptions;
    std::function<void()> openRenderOptions;
    std::function<void()> refreshTreeView;
  };

  Commands(Viewer& viewer, Hooks hooks) : viewer_(viewer), hooks_(std::move(hooks)) {}

  // Runs one command; numbers without an action do nothing. Always 0.
  int DispatchCommand(int command);
  // request: OBJECT_RM_LWO, OBJECT_MSH or OBJECT_X. Failures are reported
  // here; true when the object was loaded.
  bool LoadObject(const std::string& path, int request);
  void UnloadObject();
  // Opens a file as the load command for its extension would (.lwo, .msh,
  // .x); false when it did not load (with a message for any other kind of file).
  bool OpenFile(const std::string& path);

 private:
  void LoadCommand(const char* title, const char* filterName, const char* pattern, int request,
                   const char* failure);
  void Fit();
  void ColourCommand(int command);

  Viewer& viewer_;
  Hooks hooks_;
};
