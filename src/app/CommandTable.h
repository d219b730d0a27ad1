// The viewer's commands: their numbers, and menu 101 with its texts and
// keyboard shortcuts (accelerator table 112).
#pragma once

#include <cstdint>
#include <span>

enum CommandId : int {
  CMD_EXIT = 40001,
  CMD_LOAD_RM_LWO = 40002,
  CMD_ABOUT = 40003,
  CMD_INPUT_OPTIONS = 40004,
  CMD_DIRECTIONAL_LIGHT_COLOUR = 40005,
  CMD_AMBIENT_LIGHT_COLOUR = 40006,
  CMD_CHOOSE_DEVICE = 40007,
  CMD_SAVE_X = 40008,
  CMD_RENDER_OPTIONS = 40009,
  CMD_TREE_VIEW = 40017,
  CMD_BACKGROUND_COLOUR = 40018,
  CMD_SPLIT_TEST = 40019,
  CMD_SAVE_BINARY_HMD = 40020,
  CMD_LOAD_IM_LWO = 40021,
  CMD_SAVE_MSH = 40022,
  CMD_SAVE_PROCESSED_LAB = 40024,
  CMD_SAVE_UNPROCESSED_LAB = 40025,
  CMD_LOAD_MSH = 40026,
  CMD_LOAD_X = 40027,
  CMD_LOAD_COLOURED_MSH = 40028,
  CMD_LOAD_LWS_ANIMATION = 40029,
  CMD_ANIM_ROTATION_ORDER = 40030,
  CMD_LOAD_LWS_SCENE = 40031,
  CMD_GENERATE_BSP = 40032,
  CMD_FOOTBALL_EDITOR = 40033,
};

// One entry of menu 101. `menu` is the pop-up path ("File/Load/LightWave
// File"); `shortcut` is a Ctrl key letter or 0.
struct MenuEntry {
  const char* menu;
  const char* text;
  int command;
  char shortcut;
};

std::span<const MenuEntry> MainMenu();
// The entry of a command, or null.
const MenuEntry* FindMenuEntry(int command);
