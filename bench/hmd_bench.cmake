add_executable(hmd_bench ${CMAKE_CURRENT_SOURCE_DIR}/hmd_bench.cpp)
target_link_libraries(hmd_bench PRIVATE lwcs_psx benchmark::benchmark lwcs_options)
