add_executable(bmp_bench ${CMAKE_CURRENT_LIST_DIR}/bmp_bench.cpp)
target_link_libraries(bmp_bench PRIVATE lwcs_rm benchmark::benchmark lwcs_options)
