#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "lwlib/scene/Anim.h"

namespace {

MotionKey Key(int frame, float x = 0) {
  MotionKey k{};
  k.position[0] = x;
  k.scale[0] = k.scale[1] = k.scale[2] = 1;
  k.frame = frame;
  return k;
}

MotionKeys Table(std::vector<MotionKey> keys) {
  auto table = std::make_shared<MotionKeyTable>();
  table->keys.Allocate(keys.size());
  for (size_t i = 0; i < keys.size(); ++i) table->keys[i] = keys[i];
  for (size_t i = 1; i < keys.size(); ++i)
    if (keys[i].frame < keys[i - 1].frame) table->framesAscending = false;
  return table;
}

struct Point {
  float x, y, z;
};

// v M for a row vector with w = 1.
Point Apply(const float m[4][4], Point v) {
  return {v.x * m[0][0] + v.y * m[1][0] + v.z * m[2][0] + m[3][0],
          v.x * m[0][1] + v.y * m[1][1] + v.z * m[2][1] + m[3][1],
          v.x * m[0][2] + v.y * m[1][2] + v.z * m[2][2] + m[3][2]};
}

void ExpectPoint(Point p, float x, float y, float z) {
  EXPECT_NEAR(p.x, x, 1e-5f);
  EXPECT_NEAR(p.y, y, 1e-5f);
  EXPECT_NEAR(p.z, z, 1e-5f);
}

class AnimTest : public testing::Test {
 protected:
  void SetUp() override { saved_ = GetAnimationSettings(); }
  void TearDown() override { GetAnimationSettings() = saved_; }
  AnimationSettings saved_;
};

}  // namespace

TEST_F(AnimTest, InterpolationWrapsClampsAndTreatsAnglesAsPlainNumbers) {
  MotionKey a = Key(0, 0), b = Key(10, 10);
  a.heading = 350;
  b.heading = 10;
  b.scale[1] = 3;
  const MotionKeys keys = Table({a, b});
  // Past the last key the time wraps; before the first it clamps.
  for (const auto& [t, x] : {std::pair{5.0f, 5.0f}, {0, 0}, {-3, 0}, {15, 5}, {10, 10}, {2.5f, 2.5f}})
    EXPECT_FLOAT_EQ(InterpolateKeys(KeySpan(keys), t, true).position[0], x) << t;
  const MotionKey mid = InterpolateKeys(KeySpan(keys), 5, true);
  EXPECT_FLOAT_EQ(mid.heading, 180);  // the long way round, not through 0
  EXPECT_FLOAT_EQ(mid.scale[1], 2);

  const MotionKeys one = Table({Key(0, 7)});
  for (float t : {-1.0f, 0.0f, 3.0f, 1e9f, INFINITY, NAN})
    EXPECT_EQ(InterpolateKeys(KeySpan(one), t, true).position[0], 7) << t;
}

TEST_F(AnimTest, KeysAtTheSameFrameNeverDivideByZero) {
  const MotionKeys keys = Table({Key(0, 0), Key(10, 10), Key(10, 20), Key(20, 40)});
  const auto x = [&](float t) { return InterpolateKeys(KeySpan(keys), t, true).position[0]; };
  EXPECT_FLOAT_EQ(x(10), 10);  // the first of the two
  EXPECT_FLOAT_EQ(x(15), 30);  // from the second to the last
  EXPECT_FLOAT_EQ(x(5), 5);
  for (float t = 0; t <= 20; t += 0.25f) EXPECT_TRUE(std::isfinite(x(t))) << t;
}

TEST_F(AnimTest, BinarySearchFindsTheSameKeyAsAWalkInKeyOrder) {
  std::mt19937 random(7);
  for (int trial = 0; trial < 200; ++trial) {
    std::vector<MotionKey> keys;
    int frame = static_cast<int>(random() % 5) - 2;
    const int n = 1 + static_cast<int>(random() % 12);
    for (int i = 0; i < n; ++i) {
      keys.push_back(Key(frame));
      frame += static_cast<int>(random() % 3);  // repeats included
    }
    const MotionKeys table = Table(keys);
    ASSERT_TRUE(table->framesAscending);
    for (float t = -4; t <= static_cast<float>(frame) + 2; t += 0.5f)
      ASSERT_EQ(FindKey(KeySpan(table), t, true), FindKey(KeySpan(table), t, false)) << trial << " " << t;
  }
  // Frames out of order: the walk's answer, not a search's.
  const MotionKeys unordered = Table({Key(10), Key(0), Key(20)});
  EXPECT_FALSE(unordered->framesAscending);
  for (const auto& [t, index] : {std::pair{5.0f, 0}, {15, 2}, {25, -1}})
    EXPECT_EQ(FindKey(KeySpan(unordered), t, false), index) << t;
  EXPECT_EQ(FindKey(KeySpan(unordered), NAN, true), -1);
}

TEST_F(AnimTest, RotationOrdersNameTheAxesInTheOrderTheyAct) {
  MotionKey k = Key(0);
  k.pitch = 90;    // X
  k.heading = 90;  // Y
  float m[4][4];
  KeyToMatrix(m, k, ROTATION_XYZ);
  ExpectPoint(Apply(m, {0, 1, 0}), 1, 0, 0);  // X takes y to z, then Y takes z to x
  KeyToMatrix(m, k, ROTATION_YXZ);
  ExpectPoint(Apply(m, {0, 1, 0}), 0, 0, 1);
  // Scale acts first, translation last.
  k = Key(0);
  k.position[0] = 5;
  k.scale[0] = 2;
  k.bank = 90;  // Z takes x to y
  for (int order = ROTATION_XYZ; order <= ROTATION_ZYX; ++order) {
    KeyToMatrix(m, k, order);
    ExpectPoint(Apply(m, {1, 0, 0}), 5, 2, 0);
  }
}

TEST_F(AnimTest, TheWrittenOutZxyMatrixIsTheZxyProduct) {
  std::mt19937 random(11);
  std::uniform_real_distribution<float> angle(-360, 360), scale(0.1f, 3);
  for (int trial = 0; trial < 50; ++trial) {
    MotionKey k = Key(0, angle(random));
    k.heading = angle(random), k.pitch = angle(random), k.bank = angle(random);
    k.scale[0] = scale(random), k.scale[1] = scale(random), k.scale[2] = scale(random);
    k.position[2] = angle(random);
    float product[4][4], closed[4][4];
    KeyToMatrix(product, k, ROTATION_ZXY);
    KeyToMatrixZXY(closed, k, nullptr);
    for (int r = 0; r < 4; ++r)
      for (int c = 0; c < 4; ++c) ASSERT_NEAR(product[r][c], closed[r][c], 1e-4f) << r << c;
  }
}

TEST_F(AnimTest, PosesFollowTheSettingsAndApplyThePivotOnlyOnTheZxyPath) {
  MotionKey k = Key(0);
  k.pitch = 90;
  k.heading = 90;
  const MotionKeys keys = Table({k});
  float m[4][4];
  GetAnimationSettings().zxyOptimised = 1;
  GetAnimationSettings().rotationOrder = ROTATION_XYZ;  // not consulted
  ASSERT_TRUE(PoseMatrix(m, keys, 0, nullptr));
  float zxy[4][4];
  KeyToMatrixZXY(zxy, k, nullptr);
  EXPECT_EQ(std::memcmp(m, zxy, sizeof m), 0);

  const MotionKeys still = Table({Key(0)});
  const float pivot[3] = {-1, 0, 0};  // a PivotPoint of (1, 0, 0), stored negated
  ASSERT_TRUE(PoseMatrix(m, still, 0, pivot));
  ExpectPoint(Apply(m, {1, 0, 0}), 0, 0, 0);
  GetAnimationSettings().zxyOptimised = 0;
  ASSERT_TRUE(PoseMatrix(m, still, 0, pivot));
  ExpectPoint(Apply(m, {1, 0, 0}), 1, 0, 0);
  ASSERT_TRUE(PoseMatrix(m, keys, 0, nullptr));
  ExpectPoint(Apply(m, {0, 1, 0}), 1, 0, 0);  // XYZ now

  m[0][0] = 42;
  EXPECT_FALSE(PoseMatrix(m, nullptr, 0, nullptr));
  EXPECT_FALSE(PoseMatrix(m, Table({}), 0, nullptr));
  EXPECT_EQ(m[0][0], 42);
}
