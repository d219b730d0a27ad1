// The scene view's fill for a frame tree of many lines: a scene of `objects`
// objects of 100 motion keys each (about 101 lines per object), as lines and
// then as the tree widget. Run on a display:
// cmake/with-display build/.../tree_view_bench
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTreeWidget>

#include "app/QtTreeView.h"

namespace {

// A scene's animation with `objects` objects in a chain of five-deep groups.
struct BigScene {
  explicit BigScene(int objects) {
    auto table = std::make_shared<MotionKeyTable>();
    table->keys.Allocate(100);
    for (int k = 0; k < 100; ++k) table->keys[static_cast<size_t>(k)] = {{1, 2, 3}, {1, 1, 1}, 0, 0, 0, 0, 0, 0, k, 0};
    root = engine->CreateFrame();
    root->SetName("Scene");
    animation.objects.resize(static_cast<size_t>(objects));
    for (int i = 0; i < objects; ++i) {
      SceneObject& o = animation.objects[static_cast<size_t>(i)];
      o.name = "object";
      o.keys = table;
      o.keyCount = 100;
      o.sequence = i + 1;
      o.parent = i % 5 ? i - 1 : -1;
      rm::FramePtr parent = o.parent < 0 ? root : animation.objectFrames[static_cast<size_t>(o.parent)];
      animation.objectFrames.push_back(engine->CreateFrame(parent));
      animation.objectFrames.back()->SetAppData(&o);
    }
  }
  rm::EnginePtr engine = rm::Engine::Create();
  rm::FramePtr root;
  Animation animation;
};

void BM_TreeLines(benchmark::State& state) {
  BigScene scene(static_cast<int>(state.range(0)));
  const SceneObjectLookup lookup = [&](const rm::Frame& f) { return AnimationObjectOf(scene.animation, f); };
  for (auto _ : state) benchmark::DoNotOptimize(BuildTreeLines(scene.root, lookup));
}
BENCHMARK(BM_TreeLines)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_TreeWidgetFill(benchmark::State& state) {
  BigScene scene(static_cast<int>(state.range(0)));
  const std::vector<TreeLine> lines =
      BuildTreeLines(scene.root, [&](const rm::Frame& f) { return AnimationObjectOf(scene.animation, f); });
  QTreeWidget tree;
  tree.setUniformRowHeights(true);
  tree.show();
  for (auto _ : state) {
    FillTreeWidget(tree, lines);
    QApplication::processEvents();
  }
  state.counters["lines"] = static_cast<double>(lines.size());
}
BENCHMARK(BM_TreeWidgetFill)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
