# Uses the tests' private CUPS scheduler, so it is built only with the tests.
if(TALLYFORGE_BUILD_TESTS)
  add_executable(cups_first_job ${CMAKE_CURRENT_LIST_DIR}/cups_first_job.cpp
                 ${PROJECT_SOURCE_DIR}/tests/app/support_cups.cpp ${PROJECT_SOURCE_DIR}/tests/app/support_app.cpp)
  target_include_directories(cups_first_job PRIVATE ${PROJECT_SOURCE_DIR}/tests/app)
  target_link_libraries(cups_first_job PRIVATE tf_app)
endif()
