add_executable(ticket_data ${CMAKE_CURRENT_LIST_DIR}/ticket_data.cpp)
target_link_libraries(ticket_data PRIVATE tf_run Qt6::PrintSupport)
