# Tests of the pack's pictures (title, particles, flares, captions).
orrery_test(images_test ${CMAKE_CURRENT_LIST_DIR}/images_files_test.cpp ${CMAKE_CURRENT_LIST_DIR}/images_drawing_test.cpp
            LIBS o3d_assets_images o3d_d3dx)
