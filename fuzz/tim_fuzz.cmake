lwcs_add_fuzz_target(tim_fuzz SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/tim_fuzz.cpp DEPS lwcs_psx
                     CORPUS ${CMAKE_CURRENT_SOURCE_DIR}/corpus/tim_fuzz)
