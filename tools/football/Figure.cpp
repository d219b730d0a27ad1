#include "Figure.h"

#include <cmath>
#include <numbers>

namespace football {

namespace {

constexpr float kPi = std::numbers::pi_v<float>;
float Radians(float degrees) { return degrees * kPi / 180.0f; }

const std::array<uint8_t, 3> kSkin{255, 204, 0};  // the colour the editor gives hands, feet and head
const std::array<uint8_t, 3> kShorts{240, 240, 240};
const std::array<uint8_t, 3> kSock{240, 240, 240};
const std::array<uint8_t, 3> kBoot{30, 30, 30};

const Vec3 kX{1, 0, 0}, kY{0, 1, 0}, kZ{0, 0, 1};

// Rings along the line from -> to: each profile entry is (t along the line,
// radius along a, radius along b); radius 0 makes a pole.
std::vector<Ring> Limb(Vec3 from, Vec3 to, const std::vector<std::array<float, 3>>& profile, Vec3 a = kX,
                       Vec3 b = kZ) {
  std::vector<Ring> rings;
  for (const auto& [t, ra, rb] : profile) rings.push_back({Lerp(from, to, t), ra, rb, a, b});
  return rings;
}

Vec3 Side(float side, Vec3 p) { return {p.x * side, p.y, p.z}; }

SurfaceChooser All(int surface) {
  return [surface](int, int) { return surface; };
}

// The head: an ellipsoid, a little narrower at the jaw.
const Vec3 kHeadCentre{0, 1.655f, -0.005f};
const Vec3 kHeadRadii{0.092f, 0.118f, 0.105f};
constexpr int kHeadSegments = 16;
constexpr float kFrontStart = -157.5f;  // segments 0..5 face the front (-z), 8..13 the back

Vec3 HeadPoint(float latitude, float angle, float grow) {
  const float jaw = latitude < 0 ? 0.86f + 0.14f * (1.0f + std::sin(Radians(latitude))) : 1.0f;
  const float c = std::cos(Radians(latitude));
  return kHeadCentre + Vec3{kHeadRadii.x * jaw * c * std::cos(Radians(angle)), kHeadRadii.y * std::sin(Radians(latitude)),
                            kHeadRadii.z * c * std::sin(Radians(angle))} *
                           grow;
}

void BuildBody(PartBuilder& b) {
  // (y, half width, half depth)
  const float rings[][3] = {{0.855f, 0, 0},       {0.87f, 0.160f, 0.105f}, {0.95f, 0.158f, 0.103f},
                            {1.05f, 0.150f, 0.098f}, {1.15f, 0.160f, 0.105f}, {1.25f, 0.175f, 0.115f},
                            {1.34f, 0.185f, 0.118f}, {1.41f, 0.185f, 0.112f}, {1.46f, 0.160f, 0.095f},
                            {1.50f, 0.100f, 0.075f}, {1.525f, 0.062f, 0.056f}, {1.53f, 0, 0}};
  std::vector<Ring> loft;
  for (const auto& r : rings) loft.push_back({{0, r[0], 0}, r[1], r[2]});
  // The panels run from the second ring to the shoulders' lower ring: the
  // front over segments 0..5, the back over 8..13.
  b.Loft(loft, 16, Radians(kFrontStart), [](int band, int segment) {
    if (band < 2 || band > 6) return 0;
    if (segment <= 5) return 2;
    if (segment >= 8 && segment <= 13) return 1;
    return 0;
  });
}

void BuildThigh(PartBuilder& b, float side) {
  const Vec3 hip = Side(side, Parts()[LEFT_THIGH].joint);
  const float rings[][3] = {{1.02f, 0, 0},         {1.00f, 0.085f, 0.095f}, {0.90f, 0.088f, 0.098f},
                            {0.75f, 0.082f, 0.090f}, {0.62f, 0.078f, 0.085f}, {0.60f, 0.070f, 0.075f},
                            {0.585f, 0, 0}};
  std::vector<Ring> loft;
  for (const auto& r : rings) loft.push_back({{hip.x + side * 0.003f * (1.0f - r[0]), r[0], 0}, r[1], r[2]});
  b.Loft(loft, 12, 0, All(0));
}

void BuildFoot(PartBuilder& b, float side) {
  const float x = side * Parts()[LEFT_FOOT].joint.x;
  // Knee and shin: skin at the knee, sock below.
  const float leg[][4] = {{0.60f, 0, 0, 0},           {0.57f, 0.052f, 0.055f, 0}, {0.50f, 0.050f, 0.052f, 0},
                          {0.40f, 0.052f, 0.056f, 0.01f}, {0.30f, 0.045f, 0.048f, 0.005f}, {0.20f, 0.036f, 0.040f, 0},
                          {0.12f, 0.035f, 0.038f, 0}, {0.09f, 0, 0, 0}};
  std::vector<Ring> loft;
  for (const auto& r : leg) loft.push_back({{x, r[0], r[3]}, r[1], r[2]});
  b.Loft(loft, 12, 0, [](int band, int) { return band < 3 ? 0 : 1; });
  // The boot, from heel to toe along -z.
  const float boot[][4] = {{0.075f, 0.055f, 0, 0},         {0.06f, 0.055f, 0.042f, 0.050f},
                           {0.02f, 0.060f, 0.048f, 0.058f}, {-0.04f, 0.045f, 0.050f, 0.045f},
                           {-0.10f, 0.035f, 0.048f, 0.035f}, {-0.15f, 0.028f, 0.038f, 0.027f},
                           {-0.175f, 0.025f, 0, 0}};
  loft.clear();
  for (const auto& r : boot) loft.push_back({{x, r[1], r[0]}, r[2], r[3], kX, kY});
  b.Loft(loft, 10, 0, All(2));
}

void BuildUpperArm(PartBuilder& b, float side) {
  const Vec3 shoulder = Side(side, Parts()[LEFT_UPPER_ARM].joint);
  const Vec3 elbow = Side(side, Parts()[LEFT_LOWER_ARM].joint);
  b.Loft(Limb(shoulder, elbow,
              {{-0.14f, 0, 0}, {-0.09f, 0.040f, 0.044f}, {0.0f, 0.055f, 0.058f}, {0.3f, 0.050f, 0.054f},
               {0.7f, 0.044f, 0.048f}, {1.0f, 0.040f, 0.043f}, {1.1f, 0, 0}}),
         10, 0, All(0));
}

void BuildLowerArm(PartBuilder& b, float side) {
  const Vec3 elbow = Side(side, Parts()[LEFT_LOWER_ARM].joint);
  const Vec3 wrist = Side(side, Parts()[LEFT_HAND].joint);
  b.Loft(Limb(elbow, wrist,
              {{-0.1f, 0, 0}, {-0.05f, 0.034f, 0.037f}, {0.1f, 0.041f, 0.044f}, {0.5f, 0.038f, 0.040f},
               {0.9f, 0.033f, 0.035f}, {1.0f, 0.034f, 0.036f}, {1.04f, 0, 0}}),
         10, 0, All(0));
}

void BuildHand(PartBuilder& b, float side) {
  const Vec3 wrist = Side(side, Parts()[LEFT_HAND].joint);
  const Vec3 tip = wrist + Vec3{side * 0.01f, -0.17f, 0};
  // A mitten, flat across x (the palm faces the thigh), and a thumb to the front.
  b.Loft(Limb(wrist, tip,
              {{-0.1f, 0, 0}, {0.0f, 0.020f, 0.030f}, {0.3f, 0.024f, 0.044f}, {0.6f, 0.022f, 0.043f},
               {0.85f, 0.019f, 0.037f}, {1.0f, 0.013f, 0.024f}, {1.05f, 0, 0}}),
         10, 0, All(0));
  const Vec3 root = Lerp(wrist, tip, 0.3f) + Vec3{0, 0, -0.03f};
  const Vec3 end = root + Vec3{side * -0.005f, -0.06f, -0.025f};
  b.Loft(Limb(root, end, {{-0.1f, 0, 0}, {0.0f, 0.013f, 0.012f}, {0.6f, 0.012f, 0.011f}, {1.0f, 0.009f, 0.008f},
                          {1.1f, 0, 0}}),
         6, 0, All(0));
}

void BuildHead(PartBuilder& b) {
  // Latitude rows from the chin's pole to the crown's; the face is the front
  // of rows 2..7 (bands 2..6), mapped from the front.
  std::vector<std::vector<Vec3>> grid;
  std::vector<Vec3> centres;
  for (int j = 0; j <= 10; ++j) {
    const float latitude = -90.0f + 18.0f * static_cast<float>(j);
    std::vector<Vec3> row;
    if (j == 0 || j == 10) {
      row.push_back(HeadPoint(latitude, 0, 1));
    } else {
      for (int k = 0; k < kHeadSegments; ++k) row.push_back(HeadPoint(latitude, kFrontStart + 22.5f * k, 1));
    }
    grid.push_back(row);
    centres.push_back(kHeadCentre);
  }
  b.Grid(grid, centres, [](int band, int segment) { return band >= 2 && band <= 6 && segment <= 5 ? 1 : 0; });
  // The neck, down into the collar.
  b.Loft(Limb({0, 1.46f, 0}, {0, 1.60f, 0.005f},
              {{0, 0, 0}, {0.07f, 0.047f, 0.047f}, {0.6f, 0.045f, 0.045f}, {1.0f, 0.044f, 0.044f}, {1.0f, 0, 0}}),
         10, 0, All(0));
  for (float side : {1.0f, -1.0f}) {
    const Vec3 ear = kHeadCentre + Vec3{side * 0.088f, -0.005f, 0.01f};
    b.Loft(Limb(ear + Vec3{0, -0.032f, 0}, ear + Vec3{0, 0.032f, 0},
                {{0, 0, 0}, {0.2f, 0.012f, 0.016f}, {0.5f, 0.015f, 0.021f}, {0.8f, 0.012f, 0.016f}, {1, 0, 0}}),
           8, 0, All(0));
  }
}

}  // namespace

const std::array<PartInfo, PART_COUNT>& Parts() {
  static const std::array<PartInfo, PART_COUNT> parts = {{
      {"Body", "body", -1, {0, 0.95f, 0}},
      {"LeftThigh", "lthigh", BODY, {0.095f, 0.93f, 0}},
      {"RightThigh", "rthigh", BODY, {-0.095f, 0.93f, 0}},
      {"LeftFoot", "lfoot", LEFT_THIGH, {0.10f, 0.53f, 0}},
      {"RightFoot", "rfoot", RIGHT_THIGH, {-0.10f, 0.53f, 0}},
      {"LeftUpperArm", "luarm", BODY, {0.2f, 1.42f, 0}},
      {"RightUpperArm", "ruarm", BODY, {-0.2f, 1.42f, 0}},
      {"LeftLowerArm", "llarm", LEFT_UPPER_ARM, {0.235f, 1.15f, 0.005f}},
      {"RightLowerArm", "rlarm", RIGHT_UPPER_ARM, {-0.235f, 1.15f, 0.005f}},
      {"Head", "head", BODY, {0, 1.50f, 0}},
      {"Hair", "hair", HEAD, {0, 1.50f, 0}},
      {"LeftHand", "lhand", LEFT_LOWER_ARM, {0.255f, 0.90f, 0}},
      {"RightHand", "rhand", RIGHT_LOWER_ARM, {-0.255f, 0.90f, 0}},
  }};
  return parts;
}

const std::vector<HairStyle>& HairStyles() {
  static const std::vector<HairStyle> styles = {
      {"hair_short", 30, 8, -38, 0},
      {"hair_spiky", 36, 12, -30, 20},
      {"hair_mop", 12, -12, -48, 0},
  };
  return styles;
}

PartBuilder MakePart(PartId part, const FigureLook& look) {
  const float side = (part == RIGHT_THIGH || part == RIGHT_FOOT || part == RIGHT_UPPER_ARM ||
                      part == RIGHT_LOWER_ARM || part == RIGHT_HAND)
                         ? -1.0f
                         : 1.0f;
  switch (part) {
    case BODY: {
      PartBuilder b({Plain("Shirt", look.shirt),
                     Mapped("ShirtBack", look.shirtBack, 2, true),
                     Mapped("ShirtFront", look.shirtFront, 2, false)});
      BuildBody(b);
      return b;
    }
    case LEFT_THIGH:
    case RIGHT_THIGH: {
      PartBuilder b({Plain("Shorts", kShorts)});
      BuildThigh(b, side);
      return b;
    }
    case LEFT_FOOT:
    case RIGHT_FOOT: {
      PartBuilder b({Plain("Skin", kSkin), Plain("Sock", kSock), Plain("Boot", kBoot)});
      BuildFoot(b, side);
      return b;
    }
    case LEFT_UPPER_ARM:
    case RIGHT_UPPER_ARM: {
      PartBuilder b({Plain("Sleeve", look.shirt)});
      BuildUpperArm(b, side);
      return b;
    }
    case LEFT_LOWER_ARM:
    case RIGHT_LOWER_ARM: {
      PartBuilder b({Plain("Sleeve", look.shirt)});
      BuildLowerArm(b, side);
      return b;
    }
    case LEFT_HAND:
    case RIGHT_HAND: {
      PartBuilder b({Plain("Skin", kSkin)});
      BuildHand(b, side);
      return b;
    }
    case HEAD: {
      PartBuilder b({Plain("Skin", kSkin), Mapped("Face", look.face, 2, false)});
      BuildHead(b);
      return b;
    }
    case HAIR:
    case PART_COUNT:
      break;
  }
  return MakeHair(HairStyles().front(), look);
}

PartBuilder MakeHair(const HairStyle& style, const FigureLook& look) {
  PartBuilder b({Mapped("HairFront", look.hairFront, 2, false),
                 Mapped("HairBack", look.hairBack, 2, true),
                 Mapped("HairTop", look.hairFront, 1, false)});
  // A cap a little larger than the head whose lower edge runs from the brow
  // over the ears to the nape; rows climb from that edge to the crown.
  constexpr int kRows = 6;
  constexpr float kGrow = 1.07f;
  std::vector<float> edge;
  for (int k = 0; k < kHeadSegments; ++k) {
    const float s = std::sin(Radians(kFrontStart + 22.5f * static_cast<float>(k)));  // -1 at the front, +1 at the back
    edge.push_back(s < 0 ? style.side + (style.front - style.side) * -s : style.side + (style.back - style.side) * s);
  }
  std::vector<std::vector<Vec3>> grid;
  std::vector<Vec3> centres;
  for (int j = 0; j <= kRows; ++j) {
    std::vector<Vec3> row;
    if (j == kRows) {
      row.push_back(HeadPoint(90, 0, kGrow));
    } else {
      for (int k = 0; k < kHeadSegments; ++k) {
        const float low = edge[static_cast<size_t>(k)];
        const float latitude = low + (90.0f - low) * static_cast<float>(j) / kRows;
        row.push_back(HeadPoint(latitude, kFrontStart + 22.5f * static_cast<float>(k), kGrow));
      }
    }
    grid.push_back(row);
    centres.push_back(kHeadCentre);
  }
  b.Grid(grid, centres, [](int band, int segment) {
    if (band <= 1 && segment >= 1 && segment <= 4) return 0;
    if (band <= 3 && segment >= 8 && segment <= 13) return 1;
    return 2;
  });
  // Spikes: pyramids standing on crown points, leaning outwards.
  for (int i = 0; i < style.spikes; ++i) {
    const int row = 2 + i % 4;
    const int k = (i * 5 + row) % kHeadSegments;
    const Vec3 base = grid[static_cast<size_t>(row)][static_cast<size_t>(k)];
    const Vec3 out = base - kHeadCentre;
    const float length = 0.045f + 0.015f * static_cast<float>(i % 3);
    const float norm = std::sqrt(Dot(out, out));
    const Vec3 tip = base + out * (length / norm) + Vec3{0, 0.01f, 0.006f};
    const Vec3 u = Cross(out, kY), v = Cross(out, u);
    const float un = std::sqrt(Dot(u, u)), vn = std::sqrt(Dot(v, v));
    if (un < 1e-5f || vn < 1e-5f) continue;
    const float w = 0.018f;
    const std::array<Vec3, 4> corners = {base + u * (w / un), base + v * (w / vn), base - u * (w / un),
                                         base - v * (w / vn)};
    for (size_t c = 0; c < 4; ++c) b.Polygon({corners[c], corners[(c + 1) % 4], tip}, 2, base - out * 0.2f);
  }
  return b;
}

}  // namespace football
