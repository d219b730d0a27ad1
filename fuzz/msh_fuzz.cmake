lwcs_add_fuzz_target(msh_fuzz SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/msh_fuzz.cpp
  DEPS lwcs_lwlib CORPUS ${CMAKE_CURRENT_SOURCE_DIR}/corpus/msh_fuzz)
