add_executable(ticket_items ${CMAKE_CURRENT_LIST_DIR}/ticket_items.cpp)
target_link_libraries(ticket_items PRIVATE tf_run)
