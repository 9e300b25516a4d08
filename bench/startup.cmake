add_executable(startup ${CMAKE_CURRENT_LIST_DIR}/startup.cpp)
target_link_libraries(startup PRIVATE Qt6::Core)
target_compile_definitions(startup PRIVATE TALLYFORGE_EXE="$<TARGET_FILE:Tallyforge>")
add_dependencies(startup Tallyforge)
