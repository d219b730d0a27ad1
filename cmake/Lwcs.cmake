# Shared build settings and helpers for every target of the suite.

add_library(lwcs_options INTERFACE)
target_compile_options(lwcs_options INTERFACE -Wall -Wextra -Wpedantic)
if(LWCS_WERROR)
  target_compile_options(lwcs_options INTERFACE -Werror)
endif()
if(LWCS_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
if(LWCS_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "LWCS_FUZZ needs clang (use the 'fuzz' preset)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# lwcs_add_library(name SOURCES ... DEPS ...)
function(lwcs_add_library name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPS;PRIVATE_DEPS" ${ARGN})
  add_library(${name} STATIC ${A_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${A_DEPS} PRIVATE lwcs_options ${A_PRIVATE_DEPS})
endfunction()

# lwcs_add_test(name SOURCES ... DEPS ... [SERIAL] [XVFB])
# One GoogleTest executable; each of its tests becomes a CTest test.
function(lwcs_add_test name)
  cmake_parse_arguments(A "SERIAL;XVFB" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE ${A_DEPS} lwcs_test_support GTest::gtest GTest::gtest_main lwcs_options)
  set(props ENVIRONMENT "LWCS_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
  if(A_SERIAL)
    list(APPEND props RUN_SERIAL TRUE)
  endif()
  # Widget and OpenGL tests get a virtual display of their own (the offscreen
  # Qt platform cannot make an OpenGL context).
  if(A_XVFB)
    set_target_properties(${name} PROPERTIES CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/cmake/with-display)
    if(LWCS_SANITIZE)
      target_sources(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/support/sanitizer/NoLeakCheck.cpp)
    endif()
  endif()
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    DISCOVERY_MODE PRE_TEST
    PROPERTIES ${props})
endfunction()

# lwcs_add_fuzz_target(name SOURCE file DEPS ... CORPUS dir)
# With LWCS_FUZZ the target is a libFuzzer binary; otherwise it is built with a
# small driver that replays every file of the seed corpus, and that replay is a test.
function(lwcs_add_fuzz_target name)
  cmake_parse_arguments(A "" "SOURCE;CORPUS" "DEPS" ${ARGN})
  if(NOT LWCS_FUZZ AND NOT LWCS_TESTS)
    return()  # the replay driver only serves the tests
  endif()
  add_executable(${name} ${A_SOURCE})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/fuzz)
  target_link_libraries(${name} PRIVATE ${A_DEPS} lwcs_options)
  if(LWCS_FUZZ)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  else()
    target_sources(${name} PRIVATE ${CMAKE_SOURCE_DIR}/fuzz/ReplayMain.cpp)
    target_link_libraries(${name} PRIVATE lwcs_platform)  # the sweep counts blocks and files
    if(LWCS_TESTS)
      add_test(NAME fuzz_corpus.${name} COMMAND ${name} ${A_CORPUS})
      # Every seed cut short at each length and with each allocation failing.
      add_test(NAME fuzz_corpus_sweep.${name} COMMAND ${name} --sweep ${A_CORPUS})
    endif()
  endif()
endfunction()
