// Lights: ambient, directional, point and spot. A light shines from the frame
// it is added to (along that frame's z axis for directional and spot lights).
#pragma once

#include "rm/Object.h"

namespace rm {

class Light : public Object {
 public:
  Light(LightType type, float r, float g, float b) : type_(type) { SetColorRGB(r, g, b); }
  const char* GetClassName() const override { return "Light"; }
  ObjectPtr Clone() const override { return std::make_shared<Light>(*this); }

  LightType GetType() const { return type_; }
  void SetType(LightType type) { type_ = type; }
  // Channels are kept as given (0..1) and also as an 8-bit colour.
  void SetColorRGB(float r, float g, float b) { red_ = r, green_ = g, blue_ = b; }
  void SetColor(Color c) { SetColorRGB(ColorRed(c), ColorGreen(c), ColorBlue(c)); }
  Color GetColor() const { return ColorRGB(red_, green_, blue_); }
  float GetRed() const { return red_; }
  float GetGreen() const { return green_; }
  float GetBlue() const { return blue_; }

  // Spot cone angles in radians: full intensity inside the umbra, none outside
  // the penumbra.
  void SetUmbra(float angle) { umbra_ = angle; }
  float GetUmbra() const { return umbra_; }
  void SetPenumbra(float angle) { penumbra_ = angle; }
  float GetPenumbra() const { return penumbra_; }
  void SetRange(float range) { range_ = range; }
  float GetRange() const { return range_; }
  // Intensity falls off as 1 / (constant + linear d + quadratic d^2).
  void SetAttenuation(float constant, float linear, float quadratic) {
    attenuation_[0] = constant, attenuation_[1] = linear, attenuation_[2] = quadratic;
  }
  const float* GetAttenuation() const { return attenuation_; }

 private:
  LightType type_;
  float red_ = 0, green_ = 0, blue_ = 0;
  float umbra_ = 0.4f;
  float penumbra_ = 0.5f;
  float range_ = 256.0f;
  float attenuation_[3] = {1, 0, 0};
};

}  // namespace rm
