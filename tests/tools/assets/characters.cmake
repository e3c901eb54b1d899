# The characters: skinned files that load, split on two-matrix devices, loop and keep their feet down.
orrery_test(assets_characters_test
  ${CMAKE_CURRENT_LIST_DIR}/characters_test.cpp
  LIBS o3d_assets_characters o3d_scene o3d_render o3d_window o3d_xfile o3d_d3dx)
