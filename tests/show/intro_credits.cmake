# The intro and the credits on a headless device, with the pack's files and a virtual clock.
orrery_test(show_intro_credits_test ${CMAKE_CURRENT_LIST_DIR}/intro_credits_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/credits_test.cpp
  LIBS o3d_scenes o3d_window)
target_compile_definitions(show_intro_credits_test PRIVATE ORRERY_PACK_DIR="${CMAKE_BINARY_DIR}/data")
if(TARGET asset_pack)
  add_dependencies(show_intro_credits_test asset_pack)
endif()
