orrery_test(gpu_device_tests
  ${CMAKE_CURRENT_LIST_DIR}/device_state_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/device_fvf_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/device_resources_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/device_draw_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/hash_combine_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/device_stateblock_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/device_create_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/device_texture_format_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/blank_trim_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/device_limits_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/device_refusal_test.cpp
  LIBS o3d_gpu o3d_window)
