add_executable(settings_load ${CMAKE_CURRENT_LIST_DIR}/settings_load.cpp)
target_link_libraries(settings_load PRIVATE tf_app)
