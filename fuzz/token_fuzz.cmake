lwcs_add_fuzz_target(token_fuzz SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/token_fuzz.cpp
  DEPS lwcs_lwlib CORPUS ${CMAKE_CURRENT_SOURCE_DIR}/corpus/token_fuzz)
