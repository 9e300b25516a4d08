add_executable(preview_zoom ${CMAKE_CURRENT_LIST_DIR}/preview_zoom.cpp)
target_link_libraries(preview_zoom PRIVATE tf_preview)
