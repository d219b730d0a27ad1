lwcs_add_fuzz_target(lwo2_fuzz SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/lwo2_fuzz.cpp
  DEPS lwcs_lwlib CORPUS ${CMAKE_CURRENT_SOURCE_DIR}/corpus/lwo2_fuzz)
