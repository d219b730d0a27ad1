# Frame time of the OpenGL device; needs a display (run it under cmake/with-display).
find_package(Qt6 REQUIRED COMPONENTS Gui OpenGL)
find_package(OpenGL REQUIRED)
add_executable(render_frame_bench ${CMAKE_CURRENT_LIST_DIR}/render_frame.cpp)
target_link_libraries(render_frame_bench PRIVATE lwcs_render Qt6::Gui Qt6::OpenGL OpenGL::GL benchmark::benchmark lwcs_options)
