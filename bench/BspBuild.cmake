add_executable(bsp_build_bench ${CMAKE_CURRENT_LIST_DIR}/BspBuild.cpp)
target_link_libraries(bsp_build_bench PRIVATE lwcs_lwlib benchmark::benchmark lwcs_options)
