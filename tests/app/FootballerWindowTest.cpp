// The footballer editor's window on a main window, controls found by number.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <filesystem>

#include "writers/FootballerWriter.h"
#include "writers/Lwo2Writer.h"
#include "writers/LwobWriter.h"
#include "TestSupport.h"
#include "WidgetTestSupport.h"
#include "app/FootballerWindow.h"
#include "app/MainWindow.h"
#include "platform/Process.h"

namespace {

// Runs the test from a folder of its own, where football/ is looked for.
class InFolder {
 public:
  explicit InFolder(const std::filesystem::path& folder) : saved_(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
  }
  ~InFolder() { std::filesystem::current_path(saved_); }

 private:
  std::filesystem::path saved_;
};

}  // namespace

TEST(FootballerWindowWidget, OpensOnceBesideTheViewWithItsNumberedControls) {
  testsupport::TempDir dir;
  testsupport::WriteFootballer(dir.path().string());
  InFolder here(dir.path());
  ShownWindow shown;
  MainWindow& window = shown.window;

  window.commands().DispatchCommand(CMD_FOOTBALL_EDITOR);
  FootballerWindow* editor = window.footballWindow();
  ASSERT_NE(editor, nullptr);
  QApplication::processEvents();
  EXPECT_EQ(editor->windowTitle(), "Change your footballer!!!!");
  EXPECT_FALSE(editor->isModal());
  EXPECT_EQ(editor->pos(), QPoint(410, 10));
  ASSERT_TRUE(window.footballer().loaded);
  const std::pair<int, const char*> controls[] = {{1123, "<"}, {1119, "Colour"}, {1124, ">"}, {1126, "<"},
                                                  {1125, "Custom"}, {1127, ">"}, {1129, "<"}, {1128, "Custom"},
                                                  {1130, ">"}, {1132, "<"}, {1131, "Custom"}, {1133, ">"},
                                                  {1134, "Play sounds"}, {1116, "Play"}};
  for (auto [id, text] : controls) {
    auto* control = editor->findChild<QAbstractButton*>(QString::number(id));
    ASSERT_NE(control, nullptr) << id;
    EXPECT_EQ(control->text(), text) << id;
  }
  EXPECT_TRUE(editor->findChild<QCheckBox*>("1134")->isChecked());
  EXPECT_FALSE(editor->findChild<QLabel*>("status")->isVisible());

  editor->findChild<QAbstractButton*>("1130")->click();
  EXPECT_EQ(window.footballer().currentTop, 1);
  editor->findChild<QAbstractButton*>("1116")->click();
  EXPECT_EQ(editor->findChild<QAbstractButton*>("1116")->text(), "Stop");
  editor->findChild<QAbstractButton*>("1134")->click();
  EXPECT_FALSE(window.footballEditor()->soundsOn());
  window.StepFrame();
  EXPECT_EQ(window.footballer().animation->rootFrame->GetParent(), shown.viewer.meshFrame());

  window.commands().DispatchCommand(CMD_FOOTBALL_EDITOR);  // the same window again
  EXPECT_EQ(window.footballWindow(), editor);
  window.CleanUp();
  EXPECT_FALSE(window.footballer().loaded);
}

// Start-up without a file: the editor loads the footballer that ships beside
// lwview and the first frame shows it dressed.
TEST(FootballerWindowWidget, StartUpShowsTheDressedDefaultFootballer) {
  App();
  testsupport::TempDir dir;  // no football folder here
  InFolder here(dir.path());
  const ProcessResult r = RunProgram({LWVIEW_PATH, "--screenshot", dir.File("shot.png")});
  ASSERT_TRUE(r.Succeeded()) << r.Describe();
  const QImage image(QString::fromStdString(dir.File("shot.png")));
  ASSERT_FALSE(image.isNull());
  int shirt = 0, shorts = 0, skin = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      shirt += c.red() > 120 && c.green() < 60 && c.blue() < 70;        // the first shirt is red
      shorts += c.red() > 200 && c.green() > 200 && c.blue() > 200;     // the first shorts are white
      skin += c.red() > 150 && c.green() > 100 && c.green() < 0.95 * c.red() && c.blue() < 60;  // 1.0, 0.8, 0.0
    }
  const int area = image.width() * image.height();
  EXPECT_GT(shirt, area / 100);
  EXPECT_GT(shorts, area / 200);
  EXPECT_GT(skin, area / 200);
}

// A textured box shows its image in the viewer, whichever form holds it: an
// LWOB cube with UV images, an LWO2 box with a planar image map from a CLIP.
TEST(ViewerScreenshot, TexturedBoxesShowTheirImage) {
  testsupport::TempDir dir;
  InFolder here(dir.path());  // the image is found in the current folder
  std::vector<uint32_t> checker;  // green and magenta squares of 4 x 4
  for (uint32_t i = 0; i < 64; ++i) checker.push_back((i % 8 / 4 + i / 32) % 2 ? 0x00FF00 : 0xFF00FF);
  testsupport::WriteBmp(dir.File("check.bmp"), 8, 8, 24, checker);
  testsupport::LwobWriter()
      .Points(testsupport::CubePoints())
      .SurfaceNames({"Box"})
      .Polygons(testsupport::CubeFaces())
      .UvImages({"check.bmp"})
      .UvCoordinates(std::vector<std::vector<std::array<float, 2>>>(6, {{0, 0}, {1, 0}, {1, 1}, {0, 1}}))
      .Save(dir.File("lwob.lwo"));
  writers::Lwo2Surface box{"Box"};
  writers::Lwo2ImageMap planar;
  planar.size = {2, 2, 2};
  box.maps = {planar};
  std::vector<writers::Lwo2Polygon> faces;
  for (const auto& f : testsupport::CubeFaces()) faces.push_back({{f.points.begin(), f.points.end()}, 0});
  writers::Lwo2Writer().Tags({"Box"}).Clip(1, "images/check.bmp").Layer(0).Points(testsupport::CubePoints())
      .Polygons(faces).Surface(box).Save(dir.File("lwo2.lwo"));
  for (const char* name : {"lwob", "lwo2"}) {
    SCOPED_TRACE(name);
    const ProcessResult r = RunProgram({LWVIEW_PATH, "--screenshot", dir.File("shot.png"), dir.File(std::string(name) + ".lwo")});
    ASSERT_TRUE(r.Succeeded()) << r.Describe();
    const QImage image(QString::fromStdString(dir.File("shot.png")));
    ASSERT_FALSE(image.isNull());
    int green = 0, magenta = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) {
        const QColor c = image.pixelColor(x, y);
        green += c.green() > 90 && c.red() < 40 && c.blue() < 40;
        magenta += c.red() > 90 && c.blue() > 90 && c.green() < 40;
      }
    EXPECT_GT(green, image.width() * image.height() / 50);
    EXPECT_GT(magenta, image.width() * image.height() / 50);
  }
}
