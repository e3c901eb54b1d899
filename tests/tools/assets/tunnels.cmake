# The tunnels area: placement checks on the generated models (cameras inside the tunnels,
# lamps where the flares go, the hand in view), and the files loaded back by the engine.
orrery_test(assets_tunnels_layout_test
  ${CMAKE_CURRENT_LIST_DIR}/tunnels_layout_test.cpp
  LIBS o3d_assets_tunnels)
orrery_test(assets_tunnels_load_test
  ${CMAKE_CURRENT_LIST_DIR}/tunnels_load_test.cpp
  LIBS o3d_assets_tunnels o3d_scene o3d_window o3d_xfile o3d_d3dx)
