add_executable(shared_series ${CMAKE_CURRENT_LIST_DIR}/shared_series.cpp ${PROJECT_SOURCE_DIR}/tests/app/support_postgres.cpp
               ${PROJECT_SOURCE_DIR}/tests/app/support_app.cpp)
target_include_directories(shared_series PRIVATE ${PROJECT_SOURCE_DIR}/tests/app)
target_link_libraries(shared_series PRIVATE tf_app)
