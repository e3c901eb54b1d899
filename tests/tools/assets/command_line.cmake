# The generator's command line, run as a child process.
orrery_test(assets_command_line_test ${CMAKE_CURRENT_LIST_DIR}/command_line_test.cpp
            ${CMAKE_SOURCE_DIR}/tests/app/child_process.cpp LIBS PNG::PNG)
target_include_directories(assets_command_line_test PRIVATE ${CMAKE_SOURCE_DIR}/tests/app)
target_compile_definitions(assets_command_line_test PRIVATE ASSETS_PROGRAM="$<TARGET_FILE:orrery3d-assets>"
                           ORRERY_PACK_DIR="${CMAKE_BINARY_DIR}/data"
                           ORRERY_PACK_STAMP="${CMAKE_BINARY_DIR}/asset_pack.stamp")
add_dependencies(assets_command_line_test orrery3d-assets)
if(TARGET asset_pack)
  add_dependencies(assets_command_line_test asset_pack)
endif()
