lwcs_add_fuzz_target(uv_fuzz SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/uv_fuzz.cpp
  DEPS lwcs_lwlib CORPUS ${CMAKE_CURRENT_SOURCE_DIR}/corpus/uv_fuzz)
