// Choosing the 3D device, free of widgets: the device table filled by a
// listing, the "Choose 3D Device..." and "Device Description..." dialogs'
// behaviour as controllers that the Qt dialogs (QtDeviceDialogs.h) and the
// tests drive by control number, and ChooseDevice, which runs them. Texts
// are kept as the dialogs have always shown them, misspellings included, on
// purpose.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/CapsReport.h"
#include "rm/DeviceDescription.h"

constexpr int MAX_DEVICES = 10;

enum : int {
  IDC_DEVICE_LIST = 1015,
  IDC_DEVICE_OK = 1016,
  IDC_DEVICE_CANCEL = 1017,
  IDC_DEVICE_DESC = 1019,

  IDC_DESC_LIST = 1029,
  IDC_DESC_TITLE = 1030,
  IDC_DESC_OK = 1031,
  IDC_DESC_FIRST_GROUP = 1032,
  IDC_DESC_LAST_GROUP = 1060,
  IDC_DESC_HARDWARE = 1063,
  IDC_DESC_HEL = 1064,
};

// Which description a report reads.
enum DescriptionSource : int32_t {
  SOURCE_HARDWARE = 0,
  SOURCE_SOFTWARE = 1,  // the software emulation layer, "HEL"
};

struct DeviceEntry {
  std::optional<rm::DeviceGuid> guid;
  std::optional<rm::D3DDEVICEDESC> hardware;
  std::optional<rm::D3DDEVICEDESC> software;
  std::string displayName;

  const rm::D3DDEVICEDESC* Description(int32_t source) const {
    const auto& d = source == SOURCE_HARDWARE ? hardware : software;
    return d ? &*d : nullptr;
  }
};

// "description (name)", a missing part replaced by "<no device decription>" or
// "<no device name>"; at most 255 characters.
std::string DeviceDisplayName(const char* description, const char* name);

// The devices of one listing, in the listing's order, at most MAX_DEVICES.
class DeviceTable {
 public:
  // Empties the table and lists the devices; false when they cannot be listed.
  bool Fill(rm::DeviceEnumerator& devices);
  // The listing's callback: keeps copies of what is given; false (stop the
  // listing, nothing kept) once the table is full.
  bool Add(const rm::DeviceGuid* guid, const char* description, const char* name,
           const rm::D3DDEVICEDESC* hardware, const rm::D3DDEVICEDESC* software);
  const std::vector<DeviceEntry>& entries() const { return entries_; }
  void Clear() { entries_.clear(); }

 private:
  std::vector<DeviceEntry> entries_;
};

// What the "Device Description..." dialog keeps for the whole run.
struct DeviceDescriptionState {
  int32_t source = SOURCE_SOFTWARE;
  int lastGroup = 1036;  // "General"
  bool initialise = true;
};
DeviceDescriptionState& GetDeviceDescriptionState();

// "Device Description...": a report of one device.
class DeviceDescriptionController {
 public:
  DeviceDescriptionController(const DeviceEntry& device, DeviceDescriptionState& state)
      : device_(device), state_(state) {}
  // The dialog opened: when it is to be initialised, the remembered group is
  // shown again from the remembered source.
  void Open();
  // A button clicked; true when the dialog should close (OK).
  bool Click(int control);
  // The radio buttons.
  bool IsChecked(int control) const;
  // What the list and the title show.
  const CapsLines& lines() const { return lines_; }
  const std::string& title() const { return title_; }

 private:
  void Show(int button);
  const DeviceEntry& device_;
  DeviceDescriptionState& state_;
  CapsLines lines_;
  std::string title_;
};

class DeviceDialogs;

// "Choose 3D Device...": the list of display names, the selection, OK, Cancel
// and "Device Desc.".
class DeviceChooserController {
 public:
  DeviceChooserController(const DeviceTable& table, DeviceDialogs& dialogs) : table_(table), dialogs_(dialogs) {}
  std::vector<std::string> Names() const;
  int selected() const { return selected_; }
  // The list's selection changed; an index that names no device is ignored.
  void Select(int index);
  // A button clicked; true when the dialog should close.
  bool Click(int control);
  bool confirmed() const { return confirmed_; }
  // The selected device, or null when there is none.
  const DeviceEntry* SelectedDevice() const;

 private:
  const DeviceTable& table_;
  DeviceDialogs& dialogs_;
  int selected_ = 0;
  bool confirmed_ = false;
};

// The dialogs as the user sees them; tests script them.
class DeviceDialogs {
 public:
  virtual ~DeviceDialogs() = default;
  // Shows "Choose 3D Device..." modally until the controller closes it.
  virtual void RunChooser(DeviceChooserController& chooser) = 0;
  // Shows "Device Description..." modally until the controller closes it.
  virtual void RunDescription(DeviceDescriptionController& description) = 0;
};

// Lists the devices and lets the user choose one. True after OK: `chosen`
// then holds a copy of the chosen device's GUID, or none when it has none
// (the default device). False after Cancel, with `chosen` untouched, and
// when the devices cannot be listed (no dialog is shown then).
bool ChooseDevice(rm::DeviceEnumerator& devices, DeviceDialogs& dialogs, std::optional<rm::DeviceGuid>& chosen);

// Every device's display name and its whole report, both sources and every
// group, as text (`lwview --devices`). False when the devices cannot be listed.
bool DeviceReportText(rm::DeviceEnumerator& devices, std::string& text);
