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

// What the "Texture Loader..." dialog gives back when a file was chosen.
struct TextureLoaderChoice {
  std::string path;                   // kept to the 1023 characters of the path buffer
  bool searchDirectoryFirst = false;  // check box 1089
};
// Shows the dialog for a texture name: true with the choice when the user
// chose a loadable bitmap and pressed OK, false when the dialog was skipped.
using TextureLoaderPresenter = std::function<bool(const std::string& name, TextureLoaderChoice& choice)>;
// The viewer installs its dialog (its behaviour lives with the viewer's other
// controllers); null puts back the default, which browses through the Ui (a
// cancel skips) and asks through a Yes/No message whether to search the
// chosen file's directory first.
void SetTextureLoaderPresenter(TextureLoaderPresenter presenter);
// The dialog's "&Browse": asks the Ui for a bitmap file; false on a cancel.
bool AskForTextureFile(std::string& path);
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
