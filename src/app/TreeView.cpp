#include "app/TreeView.h"

#include <cstdarg>
#include <cstdio>

namespace {

// Names are read into a buffer of 256 characters.
constexpr size_t kNameLength = 255;

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
  // Most lines fit the buffer; a longer one (huge numbers, a long name) is
  // formatted again at its size.
  char buffer[512];
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  std::string text;
  if (n > 0 && static_cast<size_t>(n) < sizeof buffer) {
    text.assign(buffer, static_cast<size_t>(n));
  } else if (n > 0) {
    text.resize(static_cast<size_t>(n));
    std::vsnprintf(text.data(), text.size() + 1, format, again);
  }
  va_end(again);
  return text;
}

std::string Named(const char* kind, const rm::Object& object) {
  const std::string& name = object.GetName();
  if (name.empty()) return std::string(kind) + " : <No name>";
  return std::string(kind) + " : " + name.substr(0, kNameLength);
}

}  // namespace

std::string FrameLineText(const rm::Object& frame) { return Named("Frame", frame); }
std::string LightLineText(const rm::Object& light) { return Named("Light", light); }
std::string VisualLineText(const rm::Object& visual) { return Named("Visual", visual); }

std::string SceneObjectLineText(const SceneObject& object) {
  return Format("%s : Object (%i), Parent(%i), Frames(%i)", object.name ? object.name->c_str() : "Null",
                static_cast<int>(object.sequence), static_cast<int>(object.parent),
                static_cast<int>(object.keyCount));
}

std::string MotionKeyLineText(const MotionKey& k) {
  return Format("Key Frame (%i) : Pos(%.3f, %.3f, %.3f), H(%.3f), P(%.3f), B(%.3f), Scale(%.3f, %.3f, %.3f)",
                static_cast<int>(k.frame), static_cast<double>(k.position[0]), static_cast<double>(k.position[1]),
                static_cast<double>(k.position[2]), static_cast<double>(k.heading), static_cast<double>(k.pitch),
                static_cast<double>(k.bank), static_cast<double>(k.scale[0]), static_cast<double>(k.scale[1]),
                static_cast<double>(k.scale[2]));
}

const SceneObject* AnimationObjectOf(const Animation& animation, const rm::Frame& frame) {
  const auto* data = static_cast<const SceneObject*>(frame.GetAppData());
  const std::vector<SceneObject>& objects = animation.objects;
  if (!data || objects.empty()) return nullptr;
  // Compared as addresses, so data pointing anywhere else is never read.
  const auto at = reinterpret_cast<uintptr_t>(data), first = reinterpret_cast<uintptr_t>(objects.data());
  if (at < first || (at - first) % sizeof(SceneObject) != 0) return nullptr;
  const size_t i = (at - first) / sizeof(SceneObject);
  if (i >= objects.size() || i >= animation.objectFrames.size() || animation.objectFrames[i].get() != &frame)
    return nullptr;
  return &objects[i];
}

std::vector<TreeLine> BuildTreeLines(const rm::FramePtr& root, const SceneObjectLookup& sceneObjectOf) {
  std::vector<TreeLine> lines;
  if (!root) return lines;
  // Depth first without recursion: a scene's parenting may nest deeply.
  struct Pending {
    const rm::Frame* frame;
    int32_t depth;
  };
  std::vector<Pending> stack{{root.get(), 0}};
  while (!stack.empty()) {
    const auto [frame, depth] = stack.back();
    stack.pop_back();
    lines.push_back({depth, FrameLineText(*frame)});
    if (const SceneObject* object = sceneObjectOf ? sceneObjectOf(*frame) : nullptr) {
      lines.push_back({depth + 1, SceneObjectLineText(*object)});
      for (const MotionKey& key : KeySpan(object->keys)) lines.push_back({depth + 1, MotionKeyLineText(key)});
    }
    for (const rm::LightPtr& light : frame->GetLights())
      if (light) lines.push_back({depth + 1, LightLineText(*light)});
    for (const rm::VisualPtr& visual : frame->GetVisuals())
      if (visual) lines.push_back({depth + 1, VisualLineText(*visual)});
    const std::vector<rm::FramePtr>& children = frame->GetChildren();
    for (auto child = children.rbegin(); child != children.rend(); ++child)
      if (*child) stack.push_back({child->get(), depth + 1});
  }
  return lines;
}

size_t TreeItemExtent(const std::vector<TreeLine>& lines, size_t index) {
  if (index >= lines.size()) return 0;
  size_t end = index + 1;
  while (end < lines.size() && lines[end].depth > lines[index].depth) ++end;
  return end - index;
}

size_t RemoveTreeItem(std::vector<TreeLine>& lines, size_t index) {
  const size_t n = TreeItemExtent(lines, index);
  const auto first = lines.begin() + static_cast<std::ptrdiff_t>(index);
  lines.erase(first, first + static_cast<std::ptrdiff_t>(n));
  return n;
}
