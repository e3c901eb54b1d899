# The tunnel, hand and organic tunnel scenes on a headless device, loading from the asset pack.
orrery_test(show_tunnels_test
  ${CMAKE_CURRENT_LIST_DIR}/tunnel_scene_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/hand_scene_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/organic_tunnel_scene_test.cpp
  LIBS o3d_scenes o3d_window)
target_compile_definitions(show_tunnels_test PRIVATE ORRERY_PACK_DIR="${CMAKE_BINARY_DIR}/data")
if(TARGET asset_pack)
  add_dependencies(show_tunnels_test asset_pack)
endif()
