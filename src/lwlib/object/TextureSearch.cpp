#include "lwlib/object/TextureSearch.h"

#include <cstdio>
#include <unordered_map>

#include "diag/Dbug.h"
#include "lwlib/object/Bitmap.h"
#include "platform/Path.h"
#include "platform/Ui.h"
#include "rm/Image.h"
#include "rm/Surface.h"
#include "rm/Texture.h"

namespace {

std::unordered_map<std::string, rm::TexturePtr>& Cache() {
  static std::unordered_map<std::string, rm::TexturePtr> cache;
  return cache;
}

TextureLoaderPresenter& Presenter() {
  static TextureLoaderPresenter presenter;
  return presenter;
}

LoadOptionsPresenter& OptionsPresenter() {
  static LoadOptionsPresenter presenter;
  return presenter;
}

uint32_t g_loadOptions = LOAD_OPTION_MANUAL_TEXTURE_SEARCH;

// Names are cut to the 1023 characters of the path buffers they stand for.
std::string Cut(const std::string& path) { return path.size() > 1023 ? path.substr(0, 1023) : path; }

bool DefaultPresenter(const std::string&, TextureLoaderChoice& choice) {
  // Pick files until one loads or the user cancels.
  for (;;) {
    std::string path;
    if (!AskForTextureFile(path)) return false;
    if (LoadBitmapSurface(path.c_str(), 0, 0)) {
      choice.path = path;
      break;
    }
  }
  choice.searchDirectoryFirst =
      GetUi().MessageBox("Search this directory first for other textures?", "Texture Loader...", UiButtons::YesNo,
                         UiIcon::Question) == UiAnswer::Yes;
  return true;
}

bool AskForBmp(const char* name, std::string& path) {
  const std::string title = std::string("Load texture - ") + (name ? name : "");
  return GetUi().ChooseOpenFile(title, {{"BMP File", {"*.bmp"}}}, path) && !path.empty();
}

}  // namespace

TextureSearch& GetTextureSearch() {
  static TextureSearch search;
  return search;
}

rm::TexturePtr FindCachedTexture(const char* name) {
  if (!name) return nullptr;
  auto found = Cache().find(name);
  return found == Cache().end() ? nullptr : found->second;
}

void CacheTexture(const char* name, const rm::TexturePtr& texture) {
  if (!name || !texture) return;
  Cache().emplace(name, texture);
}

void ClearTextureCache() { Cache().clear(); }

void ClearTextureSearch() {
  ClearTextureCache();
  GetTextureSearch().searchDirs.clear();
}

int32_t LoadBmpTexture(const char* path, rm::TexturePtr* texture) {
  if (texture) *texture = nullptr;
  rm::SurfacePtr surface = LoadBitmapSurface(path, 0, 0);
  if (!surface || !texture) return RMERR_BADVALUE;
  *texture = std::make_shared<rm::Texture>(surface);
  return 0;
}

rm::TexturePtr SearchTexture(const char* name, TextureSearch* search) {
  if (!name) return nullptr;
  // Misses are what a search expects (another folder, another file type).
  const ScopedDebugMode quiet(DEBUG_MODE_SILENT);
  if (rm::TexturePtr cached = FindCachedTexture(name)) return cached;
  rm::TexturePtr texture;
  if (LoadBmpTexture(name, &texture) == 0) {
    CacheTexture(name, texture);
    return texture;
  }
  if (!search) return nullptr;
  for (const std::string& dir : search->searchDirs) {
    const std::string path = Cut(dir + name);
    if (rm::TexturePtr cached = FindCachedTexture(path.c_str())) return cached;
    if (LoadBmpTexture(path.c_str(), &texture) == 0) {
      CacheTexture(path.c_str(), texture);
      return texture;
    }
  }
  return nullptr;
}

int32_t TextureLoadCallback(const char* name, void* data, rm::TexturePtr* texture) {
  TextureSearch* search = data ? static_cast<TextureSearch*>(data) : &GetTextureSearch();
  if (texture) *texture = nullptr;
  if (!texture || !name) return RMERR_BADVALUE;
  if (search->forceSearch) {
    if (!ShowTextureLoader(name, search)) return RMERR_BADVALUE;
    return LoadBmpTexture(search->chosenPath.c_str(), texture) == 0 ? 0 : RMERR_BADVALUE;
  }
  for (;;) {
    if (rm::TexturePtr found = SearchTexture(name, search)) {
      *texture = found;
      return 0;
    }
    if (!ShowTextureLoader(name, search)) return RMERR_BADVALUE;
    rm::TexturePtr chosen;
    if (LoadBmpTexture(search->chosenPath.c_str(), &chosen) == 0) {
      *texture = chosen;
      CacheTexture(search->chosenPath.c_str(), chosen);
      return 0;
    }
    if (GetUi().MessageBox("Try again?", "Could not load the specified texture", UiButtons::YesNo,
                           UiIcon::Question) != UiAnswer::Yes)
      return RMERR_BADVALUE;
  }
}

int32_t AskTextureCallback(const char* name, void*, rm::TexturePtr* texture) {
  if (texture) *texture = nullptr;
  std::string path;
  if (!texture || !AskForBmp(name, path)) return RMERR_UNABLETOEXECUTE;
  return LoadBmpTexture(path.c_str(), texture) == 0 ? 0 : RMERR_UNABLETOEXECUTE;
}

int32_t AskAnyTextureCallback(const char* name, void*, rm::TexturePtr* texture) {
  if (texture) *texture = nullptr;
  std::string path;
  if (!texture || !AskForBmp(name, path)) return RMERR_UNABLETOEXECUTE;
  rm::SurfacePtr surface = rm::LoadImageFile(path);
  if (!surface) return RMERR_UNABLETOEXECUTE;
  *texture = std::make_shared<rm::Texture>(surface);
  (*texture)->SetName(path);
  return 0;
}

bool AskForTextureFile(std::string& path) {
  return GetUi().ChooseOpenFile("Load .bmp file", {{"Bitmap file", {"*.bmp"}}}, path);
}

void SetTextureLoaderPresenter(TextureLoaderPresenter presenter) { Presenter() = std::move(presenter); }

bool ShowTextureLoader(const char* name, TextureSearch* search) {
  if (!search) search = &GetTextureSearch();
  TextureLoaderChoice choice;
  const std::string shown = name ? name : "";
  if (!(Presenter() ? Presenter()(shown, choice) : DefaultPresenter(shown, choice))) return false;
  choice.path = Cut(choice.path);
  if (choice.searchDirectoryFirst) {
    const PathParts parts = SplitPath(choice.path);
    search->searchDirs.insert(search->searchDirs.begin(), parts.drive + parts.directory);
  }
  search->chosenPath = choice.path;
  return true;
}

uint32_t GetLoadOptions() { return g_loadOptions; }
void SetLoadOptions(uint32_t options) { g_loadOptions = options & 7u; }
void SetLoadOptionsPresenter(LoadOptionsPresenter presenter) { OptionsPresenter() = std::move(presenter); }

uint32_t ShowLoadOptions() {
  if (OptionsPresenter()) {
    uint32_t options = g_loadOptions;
    OptionsPresenter()(options);
    SetLoadOptions(options);
  }
  return g_loadOptions;
}
