# Opening the scene view on a large frame tree: lines and the tree widget. Needs a
# display (run it under cmake/with-display).
add_executable(tree_view_bench ${CMAKE_CURRENT_LIST_DIR}/tree_view.cpp)
target_link_libraries(tree_view_bench PRIVATE lwcs_app benchmark::benchmark lwcs_options)
