lwcs_add_fuzz_target(iff_fuzz SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/iff_fuzz.cpp
  DEPS lwcs_lwlib CORPUS ${CMAKE_CURRENT_SOURCE_DIR}/corpus/iff_fuzz)
