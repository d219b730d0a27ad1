// The scene view and the device dialogs as widgets, controls found by number;
// lwview --devices as users run it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <functional>

#include "TestSupport.h"
#include "WidgetTestSupport.h"
#include "app/MainWindow.h"
#include "app/QtDeviceDialogs.h"
#include "app/QtTreeView.h"
#include "platform/Process.h"

namespace {

int Items(QTreeWidget* tree) {
  int n = 0;
  for (QTreeWidgetItemIterator it(tree); *it; ++it) ++n;
  return n;
}

void Settle() {
  QApplication::processEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QApplication::processEvents();
}

// Lets the window system catch up (it reports moves and sizes in its own
// time); true once `done` holds.
bool Eventually(const std::function<bool()>& done) {
  for (int i = 0; i < 200 && !done(); ++i) {
    QApplication::processEvents(QEventLoop::AllEvents, 10);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  return done();
}

void Mouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
  QMouseEvent event(type, at, w->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
  QApplication::sendEvent(w, &event);
}

QStringList ListLines(QWidget* dialog, int id) {
  QStringList lines;
  auto* list = Control<QListWidget>(dialog, id);
  for (int i = 0; list && i < list->count(); ++i) lines.push_back(list->item(i)->text());
  return lines;
}

class TwoDevices : public rm::DeviceEnumerator {
 public:
  bool EnumDevices(const rm::EnumDevicesCallback& callback) override {
    rm::D3DDEVICEDESC d{};
    d.dwFlags = rm::D3DDD_TRICAPS;
    d.dpcTriCaps.dwTextureBlendCaps = rm::D3DPTBLENDCAPS_ADD | rm::D3DPTBLENDCAPS_MODULATE;
    const rm::DeviceGuid first{1}, second{2};
    return callback(&first, "One", "Maker", nullptr, nullptr) && callback(&second, "Two", "Maker", &d, nullptr);
  }
};

}  // namespace

TEST(SceneViewDialog, ShowsTheTreeRefreshesInPlaceAndDropsDraggedItems) {
  App();
  rm::EnginePtr engine = rm::Engine::Create();
  rm::FramePtr root = engine->CreateFrame();
  root->SetName("Scene");
  rm::FramePtr mesh = engine->CreateFrame(root);
  mesh->SetName("Mesh");
  mesh->AddVisual(engine->CreateMesh());
  engine->CreateFrame(mesh);
  engine->CreateFrame(root)->SetName("Camera");

  OpenTreeView(root, {}, nullptr);
  QDialog* first = TreeViewDialog();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->windowTitle(), "Scene view");
  OpenTreeView(root, {}, nullptr);  // open already: nothing happens
  EXPECT_EQ(TreeViewDialog(), first);
  EXPECT_EQ(Items(Control<QTreeWidget>(first, 1071)), 5);

  // Refresh, twice: a new view each time, where the user put the old one.
  const QRect place(200, 150, 420, 300);
  first->setGeometry(place);
  ASSERT_TRUE(Eventually([&] { return first->geometry() == place; }));
  Control(first, 1072)->click();
  Settle();
  ASSERT_TRUE(Eventually([&] { return TreeViewDialog() && TreeViewDialog()->geometry() == place; }));
  RefreshTreeView();
  Settle();
  QDialog* view = TreeViewDialog();
  ASSERT_NE(view, nullptr);
  EXPECT_NE(view, first);
  EXPECT_TRUE(Eventually([&] { return view->geometry() == place; })) << view->geometry().width();

  // Drag "Frame : Mesh" onto "Frame : Camera" and let go: Mesh and what is
  // under it leave the view, not the scene.
  auto* tree = Control<QTreeWidget>(view, 1071);
  QTreeWidgetItem* top = tree->topLevelItem(0);
  ASSERT_EQ(top->childCount(), 2);
  const QPoint from = tree->visualItemRect(top->child(0)).center();
  const QPoint to = tree->visualItemRect(top->child(1)).center();
  Mouse(tree->viewport(), QEvent::MouseButtonPress, from, Qt::LeftButton);
  Mouse(tree->viewport(), QEvent::MouseMove, to, Qt::LeftButton);
  EXPECT_EQ(tree->currentItem()->text(0), "Frame : Camera");
  Mouse(tree->viewport(), QEvent::MouseButtonRelease, to, Qt::NoButton);
  EXPECT_EQ(Items(tree), 2);
  EXPECT_EQ(root->GetChildren().size(), 2u);
  RefreshTreeView();
  Settle();
  EXPECT_EQ(Items(Control<QTreeWidget>(TreeViewDialog(), 1071)), 5);

  Control(TreeViewDialog(), 1)->click();
  Settle();
  EXPECT_EQ(TreeViewDialog(), nullptr);
}

TEST(DeviceDialogsWidget, ChooserAndDescriptionByNumber) {
  App();
  GetDeviceDescriptionState() = {};
  QStringList opened, blend;
  bool hardwareOn = false;
  QTimer::singleShot(0, [] {
    QWidget* chooser = QApplication::activeModalWidget();
    ASSERT_NE(chooser, nullptr);
    EXPECT_EQ(chooser->windowTitle(), "Choose 3D Device...");
    EXPECT_EQ(ListLines(chooser, 1015), (QStringList{"One (Maker)", "Two (Maker)"}));
    Control<QListWidget>(chooser, 1015)->setCurrentRow(1);
    QTimer::singleShot(0, [chooser] { Control(chooser, 1016)->click(); });
    Control(chooser, 1019)->click();
  });
  QTimer::singleShot(50, [&] {
    QWidget* d = QApplication::activeModalWidget();
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->windowTitle(), "Device Description...");
    opened = ListLines(d, 1029);
    Control(d, 1063)->click();
    Control(d, 1044)->click();
    blend = ListLines(d, 1029);
    hardwareOn = Control(d, 1063)->isChecked() && !Control(d, 1064)->isChecked();
    EXPECT_EQ(Control<QLabel>(d, 1030)->text(), "Triangle - Texture blending capabilities");
    Control(d, 1031)->click();
  });
  TwoDevices devices;
  QtDeviceDialogs dialogs(nullptr);
  std::optional<rm::DeviceGuid> chosen;
  EXPECT_TRUE(ChooseDevice(devices, dialogs, chosen));
  EXPECT_EQ(chosen, rm::DeviceGuid{2});
  EXPECT_TRUE(opened.empty());  // General, from the HEL description this device lacks
  ASSERT_EQ(blend.size(), 2);
  EXPECT_TRUE(blend[0].startsWith("D3DPTBLENDCAPS_ADD : "));
  EXPECT_TRUE(hardwareOn);
  EXPECT_EQ(GetDeviceDescriptionState().lastGroup, 1044);
}

TEST(MainWindowWidget, ChooseDeviceRemakesTheDisplayWithTheRenderersGuid) {
  ShownWindow shown;
  MainWindow& window = shown.window;
  Viewer& viewer = shown.viewer;
  ASSERT_TRUE(viewer.device());
  const std::optional<rm::DeviceGuid> guid = viewer.device()->GetGuid();
  ASSERT_TRUE(guid.has_value());
  const uint32_t made = viewer.displaysCreated();
  QTimer::singleShot(0, [] { Control(QApplication::activeModalWidget(), 1016)->click(); });
  window.commands().DispatchCommand(CMD_CHOOSE_DEVICE);
  EXPECT_EQ(window.chosenDevice(), guid);
  EXPECT_EQ(viewer.displaysCreated(), made + 1);

  // A device this renderer is not: the default one draws.
  const rm::DeviceGuid other{7};
  int32_t w = 200, h = 150;
  bool full = false;
  window.view().makeCurrent();
  EXPECT_TRUE(viewer.CreateDisplay(w, h, full, &other));
  EXPECT_EQ(viewer.device()->GetGuid(), guid);
  window.CleanUp();
}

TEST(LwviewDevices, PrintsEveryGroupOfBothSources) {
  testsupport::TempDir dir;
  const ProcessResult r = RunProgram({LWVIEW_PATH, "--devices"}, {}, dir.File("out.txt"), dir.File("err.txt"));
  ASSERT_TRUE(r.Succeeded()) << r.Describe() << testsupport::ReadText(dir.File("err.txt"));
  const std::string out = testsupport::ReadText(dir.File("out.txt"));
  EXPECT_NE(out.find("\n  Hardware\n"), std::string::npos) << out;
  EXPECT_NE(out.find("\n  HEL\n"), std::string::npos);
  for (const CapsGroup& group : CapsGroups()) {
    const std::string title = std::string("    ") + group.title + "\n";
    const size_t at = out.find(title);
    EXPECT_TRUE(at != std::string::npos && out.find(title, at + 1) != std::string::npos) << group.title;
  }
}
