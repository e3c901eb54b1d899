# The main scene on a headless device: its camera work, fades, sprites and street shots with the
# asset pack's files, and a partly loaded scene.
orrery_test(show_main_scene_test
  ${CMAKE_CURRENT_LIST_DIR}/main_scene_test.cpp
  LIBS o3d_scenes o3d_window)
target_compile_definitions(show_main_scene_test PRIVATE ORRERY_PACK_DIR="${CMAKE_BINARY_DIR}/data")
if(TARGET asset_pack)
  add_dependencies(show_main_scene_test asset_pack)
endif()
