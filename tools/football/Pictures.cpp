#include "Pictures.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "writers/BmpWriter.h"

namespace football {

namespace {

constexpr int kSize = 128;

uint8_t Channel(float a, float b, float t) {
  return static_cast<uint8_t>(std::clamp(a + (b - a) * t, 0.0f, 255.0f) + 0.5f);
}

Rgb Scale(Rgb c, float k) {
  return {static_cast<uint8_t>(std::clamp(c.r * k, 0.0f, 255.0f)), static_cast<uint8_t>(std::clamp(c.g * k, 0.0f, 255.0f)),
          static_cast<uint8_t>(std::clamp(c.b * k, 0.0f, 255.0f))};
}

// Repeatable noise: a hash of the integer lattice, smoothed between points.
float Hash(int i, int seed) {
  uint32_t h = static_cast<uint32_t>(i) * 374761393u + static_cast<uint32_t>(seed) * 668265263u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return static_cast<float>((h ^ (h >> 16)) & 0xFFFF) / 65535.0f;
}
float Noise(float x, int seed) {
  const int i = static_cast<int>(std::floor(x));
  const float f = x - static_cast<float>(i);
  const float s = f * f * (3 - 2 * f);
  return Hash(i, seed) + (Hash(i + 1, seed) - Hash(i, seed)) * s;
}

// Block digits, 3 x 5, top row first.
const std::array<const char*, 10> kDigits = {
    "111101101101111", "010110010010111", "111001111100111", "111001111001111", "101101111001001",
    "111100111001111", "111100111101111", "111001001010010", "111101111101111", "111101111001111"};

}  // namespace

Rgb Mix(Rgb a, Rgb b, float t) {
  return {Channel(a.r, b.r, t), Channel(a.g, b.g, t), Channel(a.b, b.b, t)};
}

Picture::Picture(int width, int height, Rgb fill)
    : width_(width), height_(height), pixels_(static_cast<size_t>(width) * height, fill) {}

void Picture::Blend(int x, int y, Rgb c, float alpha) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_ || alpha <= 0) return;
  Set(x, y, Mix(At(x, y), c, std::min(alpha, 1.0f)));
}

void Picture::Fill(float x0, float y0, float x1, float y1, const std::function<bool(float, float)>& inside, Rgb c,
                   float alpha) {
  const int left = std::max(0, static_cast<int>(std::floor(x0))), right = std::min(width_ - 1, static_cast<int>(x1));
  const int top = std::max(0, static_cast<int>(std::floor(y0))), bottom = std::min(height_ - 1, static_cast<int>(y1));
  for (int y = top; y <= bottom; ++y)
    for (int x = left; x <= right; ++x) {
      int hits = 0;
      for (int sy = 0; sy < 4; ++sy)
        for (int sx = 0; sx < 4; ++sx)
          if (inside(static_cast<float>(x) + (static_cast<float>(sx) + 0.5f) / 4,
                     static_cast<float>(y) + (static_cast<float>(sy) + 0.5f) / 4))
            ++hits;
      Blend(x, y, c, alpha * static_cast<float>(hits) / 16.0f);
    }
}

void Picture::Rect(float x0, float y0, float x1, float y1, Rgb c, float alpha) {
  Fill(x0, y0, x1, y1, [&](float x, float y) { return x >= x0 && x < x1 && y >= y0 && y < y1; }, c, alpha);
}

void Picture::Ellipse(float cx, float cy, float rx, float ry, Rgb c, float alpha) {
  Fill(cx - rx, cy - ry, cx + rx, cy + ry,
       [&](float x, float y) {
         const float dx = (x - cx) / rx, dy = (y - cy) / ry;
         return dx * dx + dy * dy <= 1;
       },
       c, alpha);
}

void Picture::Stroke(float x0, float y0, float x1, float y1, float width, Rgb c, float alpha) {
  const float r = width / 2, dx = x1 - x0, dy = y1 - y0, length2 = std::max(dx * dx + dy * dy, 1e-6f);
  Fill(std::min(x0, x1) - r, std::min(y0, y1) - r, std::max(x0, x1) + r, std::max(y0, y1) + r,
       [&](float x, float y) {
         const float t = std::clamp(((x - x0) * dx + (y - y0) * dy) / length2, 0.0f, 1.0f);
         const float ex = x - (x0 + t * dx), ey = y - (y0 + t * dy);
         return ex * ex + ey * ey <= r * r;
       },
       c, alpha);
}

void Picture::Number(int number, float cx, float cy, float cell, Rgb c) {
  const std::string digits = std::to_string(number);
  const float gap = cell * 0.8f;
  const float width = static_cast<float>(digits.size()) * 3 * cell + static_cast<float>(digits.size() - 1) * gap;
  float left = cx - width / 2;
  const float top = cy - 2.5f * cell;
  for (char d : digits) {
    const char* glyph = kDigits[static_cast<size_t>(d - '0')];
    for (int row = 0; row < 5; ++row)
      for (int col = 0; col < 3; ++col)
        if (glyph[row * 3 + col] == '1') {
          // Blocks overlap a little so that the strokes join without seams.
          const float x = left + static_cast<float>(col) * cell, y = top + static_cast<float>(row) * cell;
          Rect(x - 0.5f, y - 0.5f, x + cell + 0.5f, y + cell + 0.5f, c);
        }
    left += 3 * cell + gap;
  }
}

std::vector<uint8_t> Picture::Bmp() const {
  std::vector<uint32_t> values;
  values.reserve(pixels_.size());
  for (const Rgb& p : pixels_) values.push_back(static_cast<uint32_t>(p.r) << 16 | static_cast<uint32_t>(p.g) << 8 | p.b);
  writers::BmpDesc desc;
  desc.width = width_;
  desc.height = height_;
  desc.bits = 24;
  desc.pixelData =
      writers::PackBmpRows(static_cast<uint32_t>(width_), static_cast<uint32_t>(height_), 24, values);
  return writers::MakeBmp(desc);
}

Picture ShirtFront(const ShirtDesign& shirt) {
  Picture p(kSize, kSize, shirt.colour);
  if (shirt.stripes)
    for (int i = 0; i < 4; ++i) p.Rect(8.0f + 32.0f * static_cast<float>(i), 0, 24.0f + 32.0f * static_cast<float>(i), kSize, shirt.trim);
  // Folds of the cloth: soft light and shade down the chest.
  for (int x = 0; x < kSize; ++x) {
    const float shade = 0.06f * std::sin(static_cast<float>(x) * 0.11f) + 0.04f * std::sin(static_cast<float>(x) * 0.29f + 1);
    for (int y = 0; y < kSize; ++y) p.Set(x, y, Scale(p.At(x, y), 1.0f + shade));
  }
  // The V of the collar.
  p.Stroke(44, 0, 64, 22, 7, shirt.trim);
  p.Stroke(84, 0, 64, 22, 7, shirt.trim);
  // The sponsor's band with a ball on it.
  const Rgb band = shirt.stripes ? shirt.number : shirt.trim;
  p.Rect(10, 62, 118, 82, band);
  p.Ellipse(64, 72, 8, 8, shirt.colour);
  p.Ellipse(64, 72, 3, 3, band);
  for (int i = 0; i < 3; ++i) {
    p.Rect(26.0f + 8.0f * static_cast<float>(i), 68, 31.0f + 8.0f * static_cast<float>(i), 76, shirt.colour);
    p.Rect(82.0f + 8.0f * static_cast<float>(i), 68, 87.0f + 8.0f * static_cast<float>(i), 76, shirt.colour);
  }
  // The badge over the heart (his left is the picture's right).
  p.Fill(86, 30, 104, 52,
         [](float x, float y) { return y < 42 ? (x >= 87 && x < 103) : std::abs(x - 95) < (52 - y) * 0.8f; },
         shirt.trim);
  p.Ellipse(95, 40, 4, 4, shirt.colour);
  return p;
}

Picture ShirtBack(const ShirtDesign& shirt) {
  Picture p(kSize, kSize, shirt.colour);
  if (shirt.stripes)
    for (int i = 0; i < 4; ++i) p.Rect(8.0f + 32.0f * static_cast<float>(i), 0, 24.0f + 32.0f * static_cast<float>(i), kSize, shirt.trim);
  p.Rect(40, 0, 88, 5, shirt.trim);  // the collar's back
  // The number, with an outline in the shirt's colour so it stands clear of stripes.
  const Rgb outline = shirt.stripes ? shirt.colour : Mix(shirt.colour, shirt.number, 0.35f);
  for (float dx : {-2.0f, 0.0f, 2.0f})
    for (float dy : {-2.0f, 0.0f, 2.0f})
      if (dx != 0 || dy != 0) p.Number(shirt.shirtNumber, 64 + dx, 58 + dy, 11, outline);
  p.Number(shirt.shirtNumber, 64, 58, 11, shirt.number);
  return p;
}

Picture FacePicture(const FaceDesign& face, Rgb headSkin) {
  Picture p(kSize, kSize, face.skin);
  // Towards the edges the face turns into the head's colour, so the seam
  // between the face and the rest of the head does not show.
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) {
      const float dx = std::abs(static_cast<float>(x) - 63.5f) / 64, dy = std::abs(static_cast<float>(y) - 63.5f) / 64;
      const float edge = std::clamp((std::max(dx, dy) - 0.72f) / 0.22f, 0.0f, 1.0f);
      p.Set(x, y, Mix(face.skin, headSkin, edge));
    }
  const Rgb shade = Scale(face.skin, 0.78f);
  // Cheeks and nose.
  p.Ellipse(34, 70, 10, 7, Mix(face.skin, Rgb{230, 90, 70}, 0.5f), 0.25f);
  p.Ellipse(94, 70, 10, 7, Mix(face.skin, Rgb{230, 90, 70}, 0.5f), 0.25f);
  p.Stroke(64, 52, 61, 72, 6, shade, 0.6f);
  p.Ellipse(59, 75, 3, 2, Scale(face.skin, 0.5f));
  p.Ellipse(69, 75, 3, 2, Scale(face.skin, 0.5f));
  if (face.beard)
    for (int y = 76; y < 124; ++y)
      for (int x = 18; x < 110; ++x) {
        const float dx = (static_cast<float>(x) - 64) / 46, dy = (static_cast<float>(y) - 78) / 46;
        if (dx * dx + dy * dy < 1 && Noise(static_cast<float>(x * 7 + y * 131), 5) > 0.35f)
          p.Set(x, y, Mix(p.At(x, y), face.brows, 0.55f));
      }
  // Eyes: whites, iris, pupil, a glint.
  for (float cx : {40.0f, 88.0f}) {
    p.Ellipse(cx, 47, 11, 7, Rgb{250, 250, 245});
    p.Ellipse(cx, 47, 5.5f, 5.5f, face.eyes);
    p.Ellipse(cx, 47, 2.5f, 2.5f, Rgb{15, 15, 15});
    p.Ellipse(cx + 2, 45, 1.3f, 1.3f, Rgb{255, 255, 255});
    p.Stroke(cx - 12, 44, cx + 12, 44, 1.5f, shade);  // upper lid
  }
  p.Stroke(28, 33, 52, 31, 5, face.brows);
  p.Stroke(76, 31, 100, 33, 5, face.brows);
  // Mouth.
  const Rgb lips{150, 40, 40};
  if (face.mouth == 0) {
    p.Fill(40, 84, 88, 104,
           [](float x, float y) {
             const float dx = (x - 64) / 22, dy = (y - 86) / 14;
             const float dx2 = (x - 64) / 22, dy2 = (y - 80) / 14;
             return dx * dx + dy * dy <= 1 && dx2 * dx2 + dy2 * dy2 > 1 && y > 86;
           },
           lips);
  } else if (face.mouth == 1) {
    p.Stroke(48, 94, 80, 94, 4, lips);
  } else {
    p.Ellipse(64, 94, 16, 9, lips);
    p.Rect(52, 87, 76, 91, Rgb{250, 250, 245});
  }
  return p;
}

namespace {
Picture Strands(Rgb hair, int seed, bool fringe) {
  Picture p(kSize, kSize, hair);
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) {
      const float fy = static_cast<float>(y), fx = static_cast<float>(x);
      const float wave = 3.0f * std::sin(fy / 11.0f + static_cast<float>(seed));
      const float strand = Noise((fx + wave) / 2.5f, seed) * 0.6f + Noise((fx + wave) / 7.0f, seed + 1) * 0.4f;
      float k = 0.7f + 0.6f * strand;
      if (fringe) k *= 1.0f - 0.25f * std::clamp((fy - 90) / 38, 0.0f, 1.0f);  // shade towards the brow
      p.Set(x, y, Scale(hair, k));
    }
  return p;
}
}  // namespace

Picture HairFront(Rgb hair) { return Strands(hair, 11, true); }
Picture HairBack(Rgb hair) { return Strands(hair, 23, false); }

}  // namespace football
