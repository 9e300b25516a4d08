add_executable(journal_log ${CMAKE_CURRENT_LIST_DIR}/journal_log.cpp)
target_link_libraries(journal_log PRIVATE tf_app)
target_compile_definitions(journal_log PRIVATE TALLYFORGE_EXE="$<TARGET_FILE:Tallyforge>")
add_dependencies(journal_log Tallyforge)
