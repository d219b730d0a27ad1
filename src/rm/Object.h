// The base of every engine object: a name, one word of application data, and
// shared ownership (whoever holds a pointer holds a reference).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "rm/Types.h"

namespace rm {

class Object : public std::enable_shared_from_this<Object> {
 public:
  Object() = default;
  virtual ~Object() = default;
  Object(const Object&) = default;
  Object& operator=(const Object&) = default;

  const std::string& GetName() const { return name_; }
  void SetName(std::string_view name) { name_ = name; }
  void* GetAppData() const { return appData_; }
  void SetAppData(void* data) { appData_ = data; }

  // The engine's class name of the object ("Frame", "Mesh", ...).
  virtual const char* GetClassName() const = 0;
  // A copy of the object that shares nothing mutable with it, or null for
  // kinds that cannot be copied (frames, devices, viewports).
  virtual ObjectPtr Clone() const { return nullptr; }

 private:
  std::string name_;
  void* appData_ = nullptr;
};

// Anything a frame can show: meshes, mesh builders, user visuals.
class Visual : public Object {};

// A visual whose drawing is done by the application (the immediate-mode path).
// The callback is asked with USERVISUAL_CANSEE whether it is visible and with
// USERVISUAL_RENDER to draw; it returns true for "visible" / "drawn".
enum UserVisualEvent : uint32_t {
  USERVISUAL_CANSEE = 0,
  USERVISUAL_RENDER = 1,
};

class UserVisual : public Visual {
 public:
  using Callback = std::function<bool(UserVisual& visual, void* arg, UserVisualEvent event, Device* device,
                                      Viewport* viewport)>;
  UserVisual(Callback callback, void* arg) : callback_(std::move(callback)), arg_(arg) {}
  const char* GetClassName() const override { return "UserVisual"; }
  // False when there is no callback.
  bool Call(UserVisualEvent event, Device* device, Viewport* viewport) {
    return callback_ ? callback_(*this, arg_, event, device, viewport) : false;
  }

 private:
  Callback callback_;
  void* arg_;
};

}  // namespace rm
