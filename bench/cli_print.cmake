add_executable(cli_print ${CMAKE_CURRENT_LIST_DIR}/cli_print.cpp)
target_link_libraries(cli_print PRIVATE tf_app)
target_compile_definitions(cli_print PRIVATE TALLYFORGE_EXE="$<TARGET_FILE:Tallyforge>")
add_dependencies(cli_print Tallyforge)
