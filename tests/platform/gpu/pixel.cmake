orrery_test(gpu_pixel_tests
  ${CMAKE_CURRENT_LIST_DIR}/reference_lighting.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pixel_lighting_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pixel_fog_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pixel_blend_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pixel_raster_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pixel_transform_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pixel_present_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pixel_stateblock_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pixel_texture_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pixel_border_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pixel_draw_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/draw_culling_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pixel_program_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/program_interface_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pixel_trim_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pixel_limits_test.cpp
  LIBS o3d_gpu o3d_window)
