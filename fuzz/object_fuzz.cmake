lwcs_add_fuzz_target(object_fuzz SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/object_fuzz.cpp
  DEPS lwcs_lwlib CORPUS ${CMAKE_CURRENT_SOURCE_DIR}/corpus/object_fuzz)
