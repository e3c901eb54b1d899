# The whole pack, read from <build>/data once the build has written it.
orrery_test(assets_pack_test
  ${CMAKE_CURRENT_LIST_DIR}/pack_test.cpp
  LIBS o3d_assets o3d_scene o3d_window o3d_xfile o3d_d3dx)
target_compile_definitions(assets_pack_test PRIVATE ORRERY_PACK_DIR="${CMAKE_BINARY_DIR}/data"
                                                   ORRERY_PACK_STAMP="${CMAKE_BINARY_DIR}/asset_pack.stamp")
if(TARGET asset_pack)
  add_dependencies(assets_pack_test asset_pack)
endif()
