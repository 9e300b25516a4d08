add_executable(sheet_print ${CMAKE_CURRENT_LIST_DIR}/sheet_print.cpp)
# The QPrinter loop it measures against needs Qt's print support.
target_link_libraries(sheet_print PRIVATE tf_run Qt6::PrintSupport)
