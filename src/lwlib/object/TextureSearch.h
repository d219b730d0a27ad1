// Finding the images LightWave surfaces name: a process-wide cache of
// textures, directories to search first, and the loaders handed to the object
// and mesh loaders. What must be asked of the user goes through the Ui.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "lwlib/object/TextureLoader.h"
#include "rm/Types.h"

struct TextureSearch {
  uint8_t forceSearch = 0;              // ask for every texture, cache nothing
  std::vector<std::string> searchDirs;  // drive + directory with its separator, newest first
  std::string chosenPath;               // the file picked in the "Texture Loader..." dialog
};
// The one record the commands hand to TextureLoadCallback.
TextureSearch& GetTextureSearch();

rm::TexturePtr FindCachedTexture(const char* name);
// Keeps texture under name unless the name is cached already.
void CacheTexture(const char* name, const rm::TexturePtr& texture);
void ClearTextureCache();
// Empties the cache and forgets every search directory.
void ClearTextureSearch();

// A bitmap file as a texture: 0, or RMERR_BADVALUE (texture null).
int32_t LoadBmpTexture(const char* path, rm::TexturePtr* texture);
// The cache, then the file as named, then each search directory.
rm::TexturePtr SearchTexture(const char* name, TextureSearch* search);
// Loaders (TextureCallback). TextureLoadCallback takes a TextureSearch (the
// process-wide one when data is null); the other two do not use data.
int32_t TextureLoadCallback(const char* name, void* search, rm::TexturePtr* texture);
int32_t AskTextureCallback(const char* name, void* data, rm::TexturePtr* texture);
int32_t AskAnyTextureCallback(const char* name, void* data, rm::TexturePtr* texture);

// The "Texture Loader..." dialog's behaviour, free of any widget: the viewer's
// dialog drives it from its controls, and without one a default presenter
// drives it through the Ui.
class TextureLoaderDialog {
 public:
  explicit TextureLoaderDialog(std::string name) : nameField_(std::move(name)) {}
  const std::string& nameField() const { return nameField_; }  // control 1097
  const std::string& sizeField() const { return sizeField_; }  // control 1093, "%i x %i"
  const std::string& depthField() const { return depthField_; }  // control 1094, "%i"
  bool searchDirectoryFirst() const { return searchFirst_; }  // check box 1089
  bool chosen() const { return chosen_; }
  bool accepted() const { return accepted_; }
  const std::string& chosenPath() const { return chosenPath_; }

  // "&Browse" with the file picked: false, and nothing chosen, when it is not a
  // loadable bitmap. The parameterless form asks the Ui for the file and is
  // false when the user cancels too.
  bool Browse(const std::string& path);
  bool Browse();
  // Check box 1089: stays off until a file is chosen.
  void ToggleSearchDirectory();
  // "&OK": false (ignored) while nothing is chosen; otherwise closes.
  bool Ok();
  // "&Skip": closes with nothing chosen.
  void Skip();

 private:
  std::string nameField_;
  std::string sizeField_, depthField_;
  std::string chosenPath_;
  bool chosen_ = false;
  bool searchFirst_ = false;
  bool accepted_ = false;
};
using TextureLoaderPresenter = std::function<void(TextureLoaderDialog&)>;
// The viewer installs its dialog; null puts back the default, which browses
// through the Ui (a cancel skips) and asks through a Yes/No message whether
// to search the chosen file's directory first.
void SetTextureLoaderPresenter(TextureLoaderPresenter presenter);
// Runs the dialog for name; true with search->chosenPath set when a file was
// chosen. With the check box on, the file's directory goes to the front of
// search->searchDirs.
bool ShowTextureLoader(const char* name, TextureSearch* search);

// The load options ("File Load Options..."), kept for the whole run.
enum : uint32_t {
  LOAD_OPTION_MANUAL_TEXTURE_SEARCH = 1,
  LOAD_OPTION_FLAT_SHADED = 2,
  LOAD_OPTION_FORCE_TEXTURE_SEARCH = 4,
};
uint32_t GetLoadOptions();
void SetLoadOptions(uint32_t options);
// The viewer installs the dialog that edits the options; ShowLoadOptions runs
// it (when there is one) and returns the options as they stand.
using LoadOptionsPresenter = std::function<void(uint32_t& options)>;
void SetLoadOptionsPresenter(LoadOptionsPresenter presenter);
uint32_t ShowLoadOptions();
