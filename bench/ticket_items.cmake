add_executable(ticket_items ${CMAKE_CURRENT_LIST_DIR}/ticket_items.cpp)
# The QPrinter loop it measures against needs Qt's print support.
target_link_libraries(ticket_items PRIVATE tf_run Qt6::PrintSupport)
