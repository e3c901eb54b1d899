# The sprite interface.
orrery_test(d3dx_sprite_test
  ${CMAKE_CURRENT_LIST_DIR}/sprite_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/platform/gpu/reference_lighting.cpp
  LIBS o3d_d3dx o3d_window)
