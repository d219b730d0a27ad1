add_executable(object_bench ${CMAKE_CURRENT_LIST_DIR}/object_bench.cpp)
target_link_libraries(object_bench PRIVATE lwcs_lwlib benchmark::benchmark lwcs_options)
