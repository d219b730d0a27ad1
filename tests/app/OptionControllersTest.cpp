#include <gtest/gtest.h>

#include <cmath>

#include "TestSupport.h"
#include "app/OptionControllers.h"
#include "platform/Ui.h"

TEST(ViewOptionsController, InputBoxesAreExclusiveAndGridFollowsTrackbars) {
  ViewOptions options;
  ViewOptionsController c(options);
  EXPECT_TRUE(c.IsChecked(IDC_VIEW_NO_INPUT));
  EXPECT_FALSE(c.Click(IDC_VIEW_OBJECT));  // not a closing control
  EXPECT_EQ(options.moveObject, 1);
  EXPECT_FALSE(c.IsChecked(IDC_VIEW_CAMERA) || c.IsChecked(IDC_VIEW_NO_INPUT));
  c.Click(IDC_VIEW_CAMERA);
  EXPECT_TRUE(options.moveCamera == 1 && options.moveObject == 0);
  c.Click(IDC_VIEW_NO_INPUT);
  EXPECT_EQ(options.moveObject + options.moveCamera, 0);

  // The one-shot requests are only set; the frame step clears them.
  for (int id : {IDC_VIEW_RESET, IDC_VIEW_OBJECT_LARGER, IDC_VIEW_OBJECT_SMALLER, IDC_VIEW_CAMERA_NEARER,
                 IDC_VIEW_CAMERA_FARTHER})
    c.Click(id);
  EXPECT_EQ(options.reset + options.objectLarger + options.objectSmaller + options.cameraNearer + options.cameraFarther, 5);

  EXPECT_EQ(c.ResolutionPosition(), 10);
  c.Scroll(25, 7);
  EXPECT_FLOAT_EQ(options.gridSpacing, 2.5f);
  EXPECT_EQ(options.gridCells, 7);
  c.Click(IDC_VIEW_GRID_ON);
  EXPECT_TRUE(c.IsChecked(IDC_VIEW_GRID_ON));
  c.Click(IDC_VIEW_GRID_ON);
  EXPECT_EQ(options.gridOn, 0);
  EXPECT_TRUE(c.Click(IDC_VIEW_OK));
}

TEST(RenderOptionsController, FieldOfViewTrackbarAndShadeMode) {
  RenderOptions options;
  RenderOptionsController c(options);
  EXPECT_EQ(c.FieldPosition(), 15);  // 0.5 * 100 / pi, truncated
  c.Scroll(350, 50);
  EXPECT_FLOAT_EQ(options.fieldOfView, static_cast<float>(M_PI / 2));
  EXPECT_FLOAT_EQ(options.backClippingPlane, 350);

  // "Flat" toggles; clicking it again turns flat shading off and checks "Gouraud".
  EXPECT_TRUE(c.IsChecked(IDC_RENDER_GOURAUD));
  for (int flat : {1, 0}) {
    c.Click(IDC_RENDER_FLAT);
    EXPECT_EQ(options.flatShading, flat);
    EXPECT_EQ(c.IsChecked(IDC_RENDER_FLAT), flat == 1);
    EXPECT_EQ(c.IsChecked(IDC_RENDER_GOURAUD), flat == 0);
  }
  c.Click(IDC_RENDER_GOURAUD);
  EXPECT_EQ(options.flatShading, 1);

  for (int id : {IDC_RENDER_PERSPECTIVE, IDC_RENDER_DITHER, IDC_RENDER_BILINEAR}) c.Click(id);
  EXPECT_EQ(options.perspectiveCorrection + options.dithering + options.bilinearFiltering, 3);
  EXPECT_TRUE(c.Click(IDC_RENDER_OK));
}

TEST(TextureLoaderController, OkAndTheCheckBoxWaitForALoadableBitmap) {
  testsupport::TempDir dir;
  ScriptedUi ui;
  SetUi(&ui);
  TextureLoaderController d("<Tex name>");
  TextureLoaderChoice choice;
  d.Click(IDC_TEXTURE_SEARCH_FIRST);  // nothing chosen: both ignored
  EXPECT_FALSE(d.Click(IDC_TEXTURE_OK));
  EXPECT_FALSE(d.IsChecked(IDC_TEXTURE_SEARCH_FIRST) || d.Result(choice));
  testsupport::WriteText(dir.File("text.bmp"), "not a bitmap");
  EXPECT_FALSE(d.Browse(dir.File("text.bmp")));
  EXPECT_FALSE(d.chosen());
  const std::string path = dir.File("ok.bmp");
  testsupport::WriteBmp(path, 2, 3, 8, {0, 1, 1, 0, 0, 1}, {0xFF0000, 0x00FF00});
  // "&Browse" asks the Ui for the file.
  ui.QueueOpenFile(path);
  EXPECT_FALSE(d.Click(IDC_TEXTURE_BROWSE));
  EXPECT_EQ(d.sizeField() + " / " + d.depthField() + " / " + d.nameField(), "2 x 3 / 8 / " + path);
  d.Click(IDC_TEXTURE_SEARCH_FIRST);
  EXPECT_TRUE(d.IsChecked(IDC_TEXTURE_SEARCH_FIRST));
  EXPECT_TRUE(d.Click(IDC_TEXTURE_OK));
  ASSERT_TRUE(d.Result(choice));
  EXPECT_TRUE(choice.path == path && choice.searchDirectoryFirst);
  EXPECT_TRUE(d.Click(IDC_TEXTURE_SKIP));
  EXPECT_FALSE(d.chosen() || d.Result(choice));
  SetUi(nullptr);
}
