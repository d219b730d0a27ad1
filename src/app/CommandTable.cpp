#include "app/CommandTable.h"

namespace {

// Pop-ups in the order the menu bar shows them; inside each, entries in menu order.
constexpr MenuEntry kMenu[] = {
    {"File/Load/LightWave File", "Retained Mode .LWO file...", CMD_LOAD_RM_LWO, 'O'},
    {"File/Load/LightWave File", "Immediate Mode .LWO file", CMD_LOAD_IM_LWO, 0},
    {"File/Load/LightWave File", ".LWS Scene", CMD_LOAD_LWS_SCENE, 0},
    {"File/Load/LightWave File", ".LWS Animation File", CMD_LOAD_LWS_ANIMATION, 0},
    {"File/Load", ".MSH File", CMD_LOAD_MSH, 0},
    {"File/Load", "Coloured .msh", CMD_LOAD_COLOURED_MSH, 0},
    {"File/Load", ".X File", CMD_LOAD_X, 0},
    {"File/Save/HMD", "Binary .HMD", CMD_SAVE_BINARY_HMD, 0},
    {"File/Save/HMD", "Processed .LAB", CMD_SAVE_PROCESSED_LAB, 0},
    {"File/Save/HMD", "Unprocessed .LAB", CMD_SAVE_UNPROCESSED_LAB, 0},
    {"File/Save", ".X File", CMD_SAVE_X, 'S'},
    {"File/Save", ".MSH File", CMD_SAVE_MSH, 0},
    {"File", "E&xit", CMD_EXIT, 'C'},
    {"View/Lighting", "&Directional Light Colour", CMD_DIRECTIONAL_LIGHT_COLOUR, 0},
    {"View/Lighting", "&Ambient Light Colour", CMD_AMBIENT_LIGHT_COLOUR, 0},
    {"View", "&Background Colour", CMD_BACKGROUND_COLOUR, 0},
    {"View", "&Input options", CMD_INPUT_OPTIONS, 'I'},
    {"View", "&Render options...", CMD_RENDER_OPTIONS, 'R'},
    {"View", "&Tree View...", CMD_TREE_VIEW, 'T'},
    {"View", "&Choose device...", CMD_CHOOSE_DEVICE, 'D'},
    {"Help", "&About", CMD_ABOUT, 0},
    {"Other", "Split test", CMD_SPLIT_TEST, 0},
    {"Other", "Anim rotation order", CMD_ANIM_ROTATION_ORDER, 0},
    {"Other", "Generate BSP Tree", CMD_GENERATE_BSP, 0},
    {"Other", "Football Editor", CMD_FOOTBALL_EDITOR, 0},
};

}  // namespace

std::span<const MenuEntry> MainMenu() { return kMenu; }

const MenuEntry* FindMenuEntry(int command) {
  for (const MenuEntry& e : kMenu)
    if (e.command == command) return &e;
  return nullptr;
}
