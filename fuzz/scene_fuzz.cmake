lwcs_add_fuzz_target(scene_fuzz SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/scene_fuzz.cpp
  DEPS lwcs_lwlib CORPUS ${CMAKE_CURRENT_SOURCE_DIR}/corpus/scene_fuzz)
