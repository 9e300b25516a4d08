add_executable(startup ${CMAKE_CURRENT_LIST_DIR}/startup.cpp)
target_link_libraries(startup PRIVATE tf_app)
