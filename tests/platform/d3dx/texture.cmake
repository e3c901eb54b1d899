# Image decoders and texture creation from image files.
orrery_test(d3dx_image_test
  ${CMAKE_CURRENT_LIST_DIR}/image_tga_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/image_bmp_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/image_dds_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/image_codec_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/image_truncation_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/texture_resample_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/texture_write_test.cpp
  LIBS o3d_d3dx)
orrery_test(d3dx_texture_test
  ${CMAKE_CURRENT_LIST_DIR}/texture_create_test.cpp
  LIBS o3d_d3dx o3d_window)
target_compile_definitions(d3dx_texture_test PRIVATE ORRERY_XFILES_DIR="${ORRERY_XFILES_DIR}")
