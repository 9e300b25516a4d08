add_executable(template_print ${CMAKE_CURRENT_LIST_DIR}/template_print.cpp)
# The QPrinter loop it measures against needs Qt's print support.
target_link_libraries(template_print PRIVATE tf_run Qt6::PrintSupport)
