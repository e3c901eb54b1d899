# Image decoders: Targa, BMP and DDS, each on raw input bytes.
orrery_fuzzer(tga_fuzzer ${CMAKE_CURRENT_LIST_DIR}/tga_fuzzer.cpp LIBS o3d_d3dx)
orrery_fuzzer(bmp_fuzzer ${CMAKE_CURRENT_LIST_DIR}/bmp_fuzzer.cpp LIBS o3d_d3dx)
orrery_fuzzer(dds_fuzzer ${CMAKE_CURRENT_LIST_DIR}/dds_fuzzer.cpp LIBS o3d_d3dx)
