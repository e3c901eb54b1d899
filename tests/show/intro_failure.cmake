# The show's scenes made by the demo application on a headless device, in folders that lack some
# of the intro's files.
orrery_test(show_intro_failure_test ${CMAKE_CURRENT_LIST_DIR}/intro_failure_test.cpp LIBS o3d_show o3d_window)
target_compile_definitions(show_intro_failure_test PRIVATE ORRERY_PACK_DIR="${CMAKE_BINARY_DIR}/data")
if(TARGET asset_pack)
  add_dependencies(show_intro_failure_test asset_pack)
endif()
