add_executable(preview_refresh ${CMAKE_CURRENT_LIST_DIR}/preview_refresh.cpp)
target_link_libraries(preview_refresh PRIVATE tf_preview)
