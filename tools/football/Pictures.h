// The footballer's textures, drawn here: shirts (front with a badge and a
// sponsor's band, back with the number), faces and hair.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace football {

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
};
Rgb Mix(Rgb a, Rgb b, float t);  // t = 0 gives a, 1 gives b

// An RGB picture, top row first, drawn with anti-aliased shapes.
class Picture {
 public:
  Picture(int width, int height, Rgb fill);
  int width() const { return width_; }
  int height() const { return height_; }
  Rgb At(int x, int y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }
  void Set(int x, int y, Rgb c) { pixels_[static_cast<size_t>(y) * width_ + x] = c; }

  // Covers every pixel of the box (x0, y0)-(x1, y1) by how much of it
  // `inside` holds (sampled 4 x 4 per pixel), in colour c at opacity alpha.
  void Fill(float x0, float y0, float x1, float y1, const std::function<bool(float, float)>& inside, Rgb c,
            float alpha = 1.0f);
  void Rect(float x0, float y0, float x1, float y1, Rgb c, float alpha = 1.0f);
  void Ellipse(float cx, float cy, float rx, float ry, Rgb c, float alpha = 1.0f);
  // A stroke of round ends from (x0, y0) to (x1, y1).
  void Stroke(float x0, float y0, float x1, float y1, float width, Rgb c, float alpha = 1.0f);
  // A number in block digits, centred on (cx, cy), `cell` pixels a block.
  void Number(int number, float cx, float cy, float cell, Rgb c);

  // A 24-bit Windows bitmap.
  std::vector<uint8_t> Bmp() const;

 private:
  void Blend(int x, int y, Rgb c, float alpha);
  int width_, height_;
  std::vector<Rgb> pixels_;
};

struct ShirtDesign {
  Rgb colour;
  Rgb trim;    // collar, sponsor's band, badge
  Rgb number;  // digits on the back
  int shirtNumber;
  bool stripes;  // vertical stripes in the trim colour
};
Picture ShirtFront(const ShirtDesign& shirt);
Picture ShirtBack(const ShirtDesign& shirt);

struct FaceDesign {
  Rgb skin;
  Rgb eyes;
  Rgb brows;
  int mouth;  // 0 smile, 1 straight, 2 open grin
  bool beard;
};
// The face blends into the skin colour the editor gives the rest of the head.
Picture FacePicture(const FaceDesign& face, Rgb headSkin);

Picture HairFront(Rgb hair);
Picture HairBack(Rgb hair);

}  // namespace football
