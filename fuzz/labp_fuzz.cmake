lwcs_add_fuzz_target(labp_fuzz SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/labp_fuzz.cpp DEPS lwcs_labasm
                     CORPUS ${CMAKE_CURRENT_SOURCE_DIR}/corpus/labp_fuzz)
