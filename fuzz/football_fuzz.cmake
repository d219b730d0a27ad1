lwcs_add_fuzz_target(football_fuzz SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/football_fuzz.cpp
  DEPS lwcs_football CORPUS ${CMAKE_CURRENT_SOURCE_DIR}/corpus/football_fuzz)
