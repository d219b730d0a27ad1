// The scene tree view's content, free of widgets: the lines of a frame tree
// (every frame with its name, the scene object and motion keys the scene
// loader hung on it, its lights and its visuals), each with its depth, in the
// order the view shows them. The "Scene view" dialog only shows these lines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "lwlib/scene/Anim.h"
#include "rm/Rm.h"

struct TreeLine {
  int32_t depth;  // 0 for the root frame
  std::string text;
};

// The scene object a frame stands for, or null. A frame's application data
// says it only when the animation that owns the object agrees, so a frame
// that carries other data is never taken for one.
using SceneObjectLookup = std::function<const SceneObject*(const rm::Frame& frame)>;
const SceneObject* AnimationObjectOf(const Animation& animation, const rm::Frame& frame);

// The lines of the tree below `root` (root included): each frame's line, then
// under it its scene object line and one line per motion key (when
// `sceneObjectOf` gives one), its lights, its visuals, then its child frames
// with theirs. Empty for a null root.
std::vector<TreeLine> BuildTreeLines(const rm::FramePtr& root, const SceneObjectLookup& sceneObjectOf);

// The texts of the lines.
std::string FrameLineText(const rm::Object& frame);
std::string LightLineText(const rm::Object& light);
std::string VisualLineText(const rm::Object& visual);
std::string SceneObjectLineText(const SceneObject& object);
std::string MotionKeyLineText(const MotionKey& key);

// How many lines from `index` on belong to the item there: the item itself
// and the deeper lines that follow it.
size_t TreeItemExtent(const std::vector<TreeLine>& lines, size_t index);
// Takes the item at `index` and its sub-items out of the lines; returns how
// many lines went (0 for an index past the end).
size_t RemoveTreeItem(std::vector<TreeLine>& lines, size_t index);
