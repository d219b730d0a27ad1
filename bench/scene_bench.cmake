add_executable(scene_bench ${CMAKE_CURRENT_SOURCE_DIR}/scene_bench.cpp)
target_link_libraries(scene_bench PRIVATE lwcs_lwlib benchmark::benchmark lwcs_options)
