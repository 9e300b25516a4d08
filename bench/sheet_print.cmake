add_executable(sheet_print ${CMAKE_CURRENT_LIST_DIR}/sheet_print.cpp)
target_link_libraries(sheet_print PRIVATE tf_run)
