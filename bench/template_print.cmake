add_executable(template_print ${CMAKE_CURRENT_LIST_DIR}/template_print.cpp)
target_link_libraries(template_print PRIVATE tf_run)
