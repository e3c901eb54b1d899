# Meshes, bounds, skinned meshes and the X file mesh reader.
orrery_test(d3dx_mesh_test
  ${CMAKE_CURRENT_LIST_DIR}/mesh_object_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mesh_optimize_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mesh_skin_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/platform/gpu/reference_lighting.cpp
  LIBS o3d_d3dx o3d_window)

orrery_test(d3dx_xmesh_test
  ${CMAKE_CURRENT_LIST_DIR}/mesh_xfile_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/platform/gpu/reference_lighting.cpp
  LIBS o3d_d3dx o3d_window)
target_compile_definitions(d3dx_xmesh_test PRIVATE ORRERY_XFILES_DIR="${ORRERY_XFILES_DIR}")
