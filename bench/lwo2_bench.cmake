add_executable(lwo2_bench ${CMAKE_CURRENT_LIST_DIR}/lwo2_bench.cpp)
target_link_libraries(lwo2_bench PRIVATE lwcs_lwlib lwcs_writers benchmark::benchmark lwcs_options)
