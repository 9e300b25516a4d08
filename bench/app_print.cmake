add_executable(app_print ${CMAKE_CURRENT_LIST_DIR}/app_print.cpp)
target_link_libraries(app_print PRIVATE tf_app)
