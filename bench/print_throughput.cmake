add_executable(print_throughput ${CMAKE_CURRENT_LIST_DIR}/print_throughput.cpp)
# The QPrinter loop it measures against needs Qt's print support.
target_link_libraries(print_throughput PRIVATE tf_printjob Qt6::PrintSupport)
