add_executable(rm_mesh_bench ${CMAKE_CURRENT_LIST_DIR}/rm_mesh.cpp)
target_link_libraries(rm_mesh_bench PRIVATE lwcs_rm benchmark::benchmark lwcs_options)
