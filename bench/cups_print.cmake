# Uses the tests' private CUPS scheduler, so it is built only with the tests.
if(TALLYFORGE_BUILD_TESTS)
  add_executable(cups_print ${CMAKE_CURRENT_LIST_DIR}/cups_print.cpp
                 ${PROJECT_SOURCE_DIR}/tests/app/support_cups.cpp ${PROJECT_SOURCE_DIR}/tests/app/support_app.cpp)
  target_include_directories(cups_print PRIVATE ${PROJECT_SOURCE_DIR}/tests/app)
  target_link_libraries(cups_print PRIVATE tf_app)
endif()
