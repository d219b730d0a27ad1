#include "app/DeviceChooser.h"

#include <cstdio>

std::string DeviceDisplayName(const char* description, const char* name) {
  char text[256];
  std::snprintf(text, sizeof text, "%s (%s)", description ? description : "<no device decription>",
                name ? name : "<no device name>");
  return text;
}

bool DeviceTable::Fill(rm::DeviceEnumerator& devices) {
  entries_.clear();
  return devices.EnumDevices([this](const rm::DeviceGuid* guid, const char* description, const char* name,
                                    const rm::D3DDEVICEDESC* hardware, const rm::D3DDEVICEDESC* software) {
    return Add(guid, description, name, hardware, software);
  });
}

bool DeviceTable::Add(const rm::DeviceGuid* guid, const char* description, const char* name,
                      const rm::D3DDEVICEDESC* hardware, const rm::D3DDEVICEDESC* software) {
  if (entries_.size() >= MAX_DEVICES) return false;
  DeviceEntry entry;
  if (guid) entry.guid = *guid;
  if (hardware) entry.hardware = *hardware;
  if (software) entry.software = *software;
  entry.displayName = DeviceDisplayName(description, name);
  entries_.push_back(std::move(entry));
  return true;
}

DeviceDescriptionState& GetDeviceDescriptionState() {
  static DeviceDescriptionState state;
  return state;
}

void DeviceDescriptionController::Open() {
  if (!state_.initialise) return;
  state_.initialise = false;
  Show(state_.lastGroup);
}

void DeviceDescriptionController::Show(int button) {
  const CapsGroup* group = FindCapsGroup(button);
  if (!group) return;
  lines_ = CapsReport(*group, device_.Description(state_.source));
  title_ = group->title;
  state_.lastGroup = button;
}

bool DeviceDescriptionController::Click(int control) {
  switch (control) {
    case IDC_DESC_OK: state_.initialise = true; return true;
    case IDC_DESC_HARDWARE:
    case IDC_DESC_HEL:
      state_.source = control == IDC_DESC_HARDWARE ? SOURCE_HARDWARE : SOURCE_SOFTWARE;
      Show(state_.lastGroup);
      return false;
    default: Show(control); return false;
  }
}

bool DeviceDescriptionController::IsChecked(int control) const {
  if (control == IDC_DESC_HARDWARE) return state_.source == SOURCE_HARDWARE;
  if (control == IDC_DESC_HEL) return state_.source == SOURCE_SOFTWARE;
  return false;
}

std::vector<std::string> DeviceChooserController::Names() const {
  std::vector<std::string> names;
  for (const DeviceEntry& e : table_.entries()) names.push_back(e.displayName);
  return names;
}

void DeviceChooserController::Select(int index) {
  if (index >= 0 && static_cast<size_t>(index) < table_.entries().size()) selected_ = index;
}

const DeviceEntry* DeviceChooserController::SelectedDevice() const {
  const auto& entries = table_.entries();
  return static_cast<size_t>(selected_) < entries.size() ? &entries[static_cast<size_t>(selected_)] : nullptr;
}

bool DeviceChooserController::Click(int control) {
  switch (control) {
    case IDC_DEVICE_OK: confirmed_ = true; return true;
    case IDC_DEVICE_CANCEL: confirmed_ = false; return true;
    case IDC_DEVICE_DESC:
      if (const DeviceEntry* device = SelectedDevice()) {
        DeviceDescriptionController description(*device, GetDeviceDescriptionState());
        dialogs_.RunDescription(description);
      }
      return false;
    default: return false;
  }
}

bool ChooseDevice(rm::DeviceEnumerator& devices, DeviceDialogs& dialogs, std::optional<rm::DeviceGuid>& chosen) {
  DeviceTable table;
  if (!table.Fill(devices)) return false;
  DeviceChooserController chooser(table, dialogs);
  dialogs.RunChooser(chooser);
  if (!chooser.confirmed()) return false;
  // With no device listed, OK keeps to the default device.
  const DeviceEntry* device = chooser.SelectedDevice();
  chosen = device ? device->guid : std::nullopt;
  return true;
}

bool DeviceReportText(rm::DeviceEnumerator& devices, std::string& text) {
  DeviceTable table;
  if (!table.Fill(devices)) return false;
  const auto& entries = table.entries();
  text = "3D devices: " + std::to_string(entries.size()) + "\n";
  for (size_t i = 0; i < entries.size(); ++i) {
    const DeviceEntry& device = entries[i];
    text += "\nDevice " + std::to_string(i + 1) + ": " + device.displayName + "\n";
    if (device.guid) {
      char guid[40];
      const rm::DeviceGuid& g = *device.guid;
      std::snprintf(guid, sizeof guid, "%02x%02x%02x%02x-%02x%02x-%02x%02x-%02x%02x-%02x%02x%02x%02x%02x%02x", g[0],
                    g[1], g[2], g[3], g[4], g[5], g[6], g[7], g[8], g[9], g[10], g[11], g[12], g[13], g[14], g[15]);
      text += std::string("  GUID {") + guid + "}\n";
    } else {
      text += "  no GUID\n";
    }
    for (const auto& [source, label] : {std::pair{SOURCE_HARDWARE, "Hardware"}, {SOURCE_SOFTWARE, "HEL"}}) {
      const rm::D3DDEVICEDESC* description = device.Description(source);
      text += std::string("  ") + label + (description ? "\n" : ": no description\n");
      if (!description) continue;
      for (const CapsGroup& group : CapsGroups()) {
        text += std::string("    ") + group.title + "\n";
        for (const std::string& line : CapsReport(group, description)) text += "      " + line + "\n";
      }
    }
  }
  return true;
}
