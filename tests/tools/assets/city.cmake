# The city area: layout and placement checks on the generated meshes, and the files loaded
# back through the engine's model objects.
orrery_test(assets_city_layout_test
  ${CMAKE_CURRENT_LIST_DIR}/city_layout_test.cpp
  LIBS o3d_assets_city o3d_assets_characters)
orrery_test(assets_city_load_test
  ${CMAKE_CURRENT_LIST_DIR}/city_load_test.cpp
  LIBS o3d_assets_city o3d_scene o3d_window o3d_xfile o3d_d3dx)
