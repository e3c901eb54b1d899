# The generator's core: image encoders and the X file writer.
orrery_test(assets_core_test
  ${CMAKE_CURRENT_LIST_DIR}/core_image_test.cpp
  LIBS o3d_assets_core o3d_d3dx)
orrery_test(assets_xwriter_test
  ${CMAKE_CURRENT_LIST_DIR}/core_xwriter_test.cpp
  LIBS o3d_assets_core o3d_scene o3d_window o3d_xfile o3d_d3dx)
