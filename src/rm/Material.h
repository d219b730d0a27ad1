// Materials: the specular power, specular colour and emissive colour of a
// group (its diffuse colour is the group colour).
#pragma once

#include "rm/Object.h"

namespace rm {

struct ColorRGBf {
  float red = 0, green = 0, blue = 0;
};

class Material : public Object {
 public:
  explicit Material(float power = 0) : power_(power) {}
  const char* GetClassName() const override { return "Material"; }
  ObjectPtr Clone() const override { return std::make_shared<Material>(*this); }

  void SetPower(float power) { power_ = power; }
  float GetPower() const { return power_; }
  void SetSpecular(float r, float g, float b) { specular_ = {r, g, b}; }
  ColorRGBf GetSpecular() const { return specular_; }
  void SetEmissive(float r, float g, float b) { emissive_ = {r, g, b}; }
  ColorRGBf GetEmissive() const { return emissive_; }

 private:
  float power_;
  ColorRGBf specular_;
  ColorRGBf emissive_;
};

}  // namespace rm
