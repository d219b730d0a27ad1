lwcs_add_fuzz_target(x_fuzz SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/x_fuzz.cpp
  DEPS lwcs_lwlib lwcs_rm CORPUS ${CMAKE_CURRENT_SOURCE_DIR}/corpus/x_fuzz)
