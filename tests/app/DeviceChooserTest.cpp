// Choosing a device through the chooser's controllers, on a made-up listing.
#include <gtest/gtest.h>

#include <functional>

#include "TestSupport.h"
#include "app/DeviceChooser.h"

using namespace rm;

namespace {

struct FakeDevice {
  std::optional<DeviceGuid> guid;
  const char* description;
  const char* name;
  std::optional<D3DDEVICEDESC> hardware, software;
};

class FakeDevices : public DeviceEnumerator {
 public:
  bool EnumDevices(const EnumDevicesCallback& callback) override {
    if (broken) return false;
    for (const FakeDevice& d : devices) {
      ++offered;
      if (!callback(d.guid ? &*d.guid : nullptr, d.description, d.name, d.hardware ? &*d.hardware : nullptr,
                    d.software ? &*d.software : nullptr))
        break;
    }
    return true;
  }
  std::vector<FakeDevice> devices;
  bool broken = false;
  int offered = 0;
};

// Scripts what the user does in each dialog.
class ScriptedDialogs : public DeviceDialogs {
 public:
  void RunChooser(DeviceChooserController& c) override {
    ++choosers;
    names = c.Names();
    chooser(c);
  }
  void RunDescription(DeviceDescriptionController& d) override {
    d.Open();
    description(d);
  }
  std::function<void(DeviceChooserController&)> chooser;
  std::function<void(DeviceDescriptionController&)> description;
  std::vector<std::string> names;
  int choosers = 0;
};

D3DDEVICEDESC Described(uint32_t lights) {
  D3DDEVICEDESC d{};
  d.dwFlags = D3DDD_LIGHTINGCAPS;
  d.dlcLightingCaps.dwNumLights = lights;
  return d;
}

class DeviceChooserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    GetDeviceDescriptionState() = {};
    for (uint8_t i = 0; i < 3; ++i)
      devices.devices.push_back({DeviceGuid{i, 1}, "Renderer", "Vendor", Described(10 + i), Described(20 + i)});
  }
  // Runs ChooseDevice with the user clicking `clicks` in the chooser after
  // selecting `row`.
  bool Choose(int row, std::vector<int> clicks) {
    dialogs.chooser = [row, clicks](DeviceChooserController& c) {
      c.Select(row);
      for (int id : clicks)
        if (c.Click(id)) return;
    };
    return ChooseDevice(devices, dialogs, chosen);
  }
  FakeDevices devices;
  ScriptedDialogs dialogs;
  std::optional<DeviceGuid> chosen;
};

}  // namespace

TEST_F(DeviceChooserTest, OkCopiesTheSelectedGuidAndCancelKeepsTheChoice) {
  EXPECT_TRUE(Choose(1, {IDC_DEVICE_OK}));
  EXPECT_EQ(chosen, (DeviceGuid{1, 1}));
  EXPECT_FALSE(Choose(2, {IDC_DEVICE_CANCEL}));
  EXPECT_EQ(chosen, (DeviceGuid{1, 1}));
  EXPECT_TRUE(Choose(7, {IDC_DEVICE_OK}));  // a row that is no device keeps the selection
  EXPECT_EQ(chosen, (DeviceGuid{0, 1}));

  devices.devices[0].guid.reset();  // a device without a GUID is the default device
  EXPECT_TRUE(Choose(0, {IDC_DEVICE_OK}));
  EXPECT_FALSE(chosen.has_value());
  devices.devices.clear();
  chosen = DeviceGuid{9};
  EXPECT_TRUE(Choose(0, {IDC_DEVICE_DESC, IDC_DEVICE_OK}));  // nothing listed: OK keeps to the default
  EXPECT_FALSE(chosen.has_value());

  devices.broken = true;
  const int shown = dialogs.choosers;
  EXPECT_FALSE(Choose(0, {IDC_DEVICE_OK}));
  EXPECT_EQ(dialogs.choosers, shown);  // no dialog without a listing
}

TEST_F(DeviceChooserTest, TenDevicesAtMostNamedWithTheirFallBacks) {
  devices.devices.clear();
  for (int i = 0; i < 12; ++i) devices.devices.push_back({std::nullopt, "Renderer", "Vendor", {}, {}});
  devices.devices[1].name = nullptr;
  devices.devices[2].description = nullptr;
  devices.devices[2].name = nullptr;
  Choose(0, {IDC_DEVICE_CANCEL});
  EXPECT_EQ(dialogs.names.size(), 10u);
  EXPECT_EQ(devices.offered, 11);  // the eleventh stopped the listing
  EXPECT_EQ(dialogs.names[0], "Renderer (Vendor)");
  EXPECT_EQ(dialogs.names[1], "Renderer (<no device name>)");
  EXPECT_EQ(dialogs.names[2], "<no device decription> (<no device name>)");
  EXPECT_EQ(DeviceDisplayName(std::string(300, 'x').c_str(), "y").size(), 255u);
}

TEST_F(DeviceChooserTest, DescriptionShowsTheSelectedDeviceAndRemembersSourceAndGroup) {
  std::vector<std::pair<std::string, CapsLines>> shown;  // title and lines after each step
  auto record = [&](DeviceDescriptionController& d) { shown.push_back({d.title(), d.lines()}); };
  dialogs.description = [&](DeviceDescriptionController& d) {
    record(d);  // opened: "General", from the HEL description
    EXPECT_TRUE(d.IsChecked(IDC_DESC_HEL));
    d.Click(1033);
    record(d);
    d.Click(IDC_DESC_HARDWARE);  // the same group again at once, from the hardware
    record(d);
    EXPECT_FALSE(d.IsChecked(IDC_DESC_HEL));
    EXPECT_TRUE(d.Click(IDC_DESC_OK));
  };
  EXPECT_TRUE(Choose(2, {IDC_DEVICE_DESC, IDC_DEVICE_OK}));
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown[0].first, "General capabilities");
  EXPECT_EQ(shown[1], (std::pair<std::string, CapsLines>{"Lighting capabilities", {"Number of lights handled : 22"}}));
  EXPECT_EQ(shown[2].second, CapsLines{"Number of lights handled : 12"});

  // Reopened in a later choice: the hardware's lighting group of the device
  // selected then.
  shown.clear();
  dialogs.description = [&](DeviceDescriptionController& d) {
    record(d);
    d.Click(IDC_DESC_OK);
  };
  EXPECT_FALSE(Choose(0, {IDC_DEVICE_DESC, IDC_DEVICE_CANCEL}));
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].second, CapsLines{"Number of lights handled : 10"});

  devices.devices[0].hardware.reset();  // a missing description shows nothing
  shown.clear();
  EXPECT_FALSE(Choose(0, {IDC_DEVICE_DESC, IDC_DEVICE_CANCEL}));
  EXPECT_EQ(shown[0], (std::pair<std::string, CapsLines>{"Lighting capabilities", {}}));
}

// Three devices, two sources each, one of them without a description.
TEST_F(DeviceChooserTest, ReportTextHoldsEveryDeviceSourceAndGroup) {
  devices.devices[1].software.reset();
  std::string text;
  ASSERT_TRUE(DeviceReportText(devices, text));
  EXPECT_EQ(text, testsupport::Golden("app/golden/device-report.txt", text));
  devices.broken = true;
  EXPECT_FALSE(DeviceReportText(devices, text));
}
