# The body of object_fuzz, over the LWO2 seeds: its own target, so a campaign
# can start from them.
lwcs_add_fuzz_target(lwo2_fuzz SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/object_fuzz.cpp
  DEPS lwcs_lwlib CORPUS ${CMAKE_CURRENT_SOURCE_DIR}/corpus/lwo2_fuzz)
