lwcs_add_fuzz_target(bmp_fuzz SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/bmp_fuzz.cpp
  DEPS lwcs_rm CORPUS ${CMAKE_CURRENT_SOURCE_DIR}/corpus/bmp_fuzz)
