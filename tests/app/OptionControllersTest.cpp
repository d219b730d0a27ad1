#include <gtest/gtest.h>

#include <cmath>

#include "app/OptionControllers.h"

TEST(ViewOptionsController, InputBoxesAreExclusiveAndGridFollowsTrackbars) {
  ViewOptions options;
  ViewOptionsController c(options);
  EXPECT_TRUE(c.IsChecked(IDC_VIEW_NO_INPUT));
  EXPECT_FALSE(c.Click(IDC_VIEW_OBJECT));
  EXPECT_EQ(options.moveObject, 1);
  EXPECT_TRUE(c.IsChecked(IDC_VIEW_OBJECT));
  EXPECT_FALSE(c.IsChecked(IDC_VIEW_CAMERA) || c.IsChecked(IDC_VIEW_NO_INPUT));
  c.Click(IDC_VIEW_CAMERA);
  EXPECT_EQ(options.moveObject, 0);
  EXPECT_EQ(options.moveCamera, 1);
  c.Click(IDC_VIEW_NO_INPUT);
  EXPECT_EQ(options.moveObject + options.moveCamera, 0);
  EXPECT_TRUE(c.IsChecked(IDC_VIEW_NO_INPUT));

  // The one-shot requests are only set; the frame step clears them.
  for (int id : {IDC_VIEW_RESET, IDC_VIEW_OBJECT_LARGER, IDC_VIEW_OBJECT_SMALLER, IDC_VIEW_CAMERA_NEARER,
                 IDC_VIEW_CAMERA_FARTHER})
    c.Click(id);
  EXPECT_EQ(options.reset + options.objectLarger + options.objectSmaller + options.cameraNearer +
                options.cameraFarther,
            5);

  EXPECT_EQ(c.ResolutionPosition(), 10);
  EXPECT_EQ(c.SizePosition(), 10);
  c.Scroll(25, 7);
  EXPECT_FLOAT_EQ(options.gridSpacing, 2.5f);
  EXPECT_EQ(options.gridCells, 7);
  EXPECT_EQ(c.ResolutionPosition(), 25);
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
  EXPECT_EQ(c.BackPosition(), 200);
  c.Scroll(350, 50);
  EXPECT_FLOAT_EQ(options.fieldOfView, static_cast<float>(M_PI / 2));
  EXPECT_FLOAT_EQ(options.backClippingPlane, 350);

  EXPECT_TRUE(c.IsChecked(IDC_RENDER_GOURAUD));
  c.Click(IDC_RENDER_FLAT);
  EXPECT_EQ(options.flatShading, 1);
  EXPECT_TRUE(c.IsChecked(IDC_RENDER_FLAT));
  // Clicking "Flat" again turns flat shading off and checks "Gouraud".
  c.Click(IDC_RENDER_FLAT);
  EXPECT_EQ(options.flatShading, 0);
  EXPECT_TRUE(c.IsChecked(IDC_RENDER_GOURAUD));
  EXPECT_FALSE(c.IsChecked(IDC_RENDER_FLAT));
  c.Click(IDC_RENDER_GOURAUD);
  EXPECT_EQ(options.flatShading, 1);

  for (int id : {IDC_RENDER_PERSPECTIVE, IDC_RENDER_DITHER, IDC_RENDER_BILINEAR}) {
    c.Click(id);
    EXPECT_TRUE(c.IsChecked(id)) << id;
  }
  EXPECT_EQ(options.perspectiveCorrection + options.dithering + options.bilinearFiltering, 3);
  EXPECT_TRUE(c.Click(IDC_RENDER_OK));
}

TEST(LoadOptionsController, BoxesToggleTheirBits) {
  uint32_t options = 1;
  LoadOptionsController c(options);
  EXPECT_TRUE(c.IsChecked(IDC_LOAD_MANUAL_SEARCH));
  c.Click(IDC_LOAD_FLAT_NORMALS);
  c.Click(IDC_LOAD_FORCE_SEARCH);
  c.Click(IDC_LOAD_MANUAL_SEARCH);
  EXPECT_EQ(options, 6u);
  c.Click(IDC_LOAD_TEXTURE);  // opens the wrap options; no bit of its own
  EXPECT_EQ(options, 6u);
  EXPECT_TRUE(c.Click(IDC_LOAD_OK));
}

TEST(PlanarWrapController, EachBoxTogglesItsFlip) {
  bool flips[3][4] = {};
  PlanarWrapController c(flips);
  c.Click(1094);  // Y axis, v scale
  EXPECT_TRUE(flips[1][3]);
  EXPECT_TRUE(c.IsChecked(1094));
  c.Click(1086);  // Z axis, direction
  EXPECT_TRUE(flips[2][0]);
  c.Click(1094);
  EXPECT_FALSE(flips[1][3]);
  int set = 0;
  for (auto& axis : flips)
    for (bool f : axis) set += f;
  EXPECT_EQ(set, 1);
  EXPECT_TRUE(c.Click(IDC_WRAP_OK));
}
