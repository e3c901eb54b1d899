# The show run headless once by orrery3d-capture in the pack folder; the checks read its frames.
# The sanitizer build runs it at 10 frames per second to keep its time down.
if(ORRERY_SANITIZE)
  set(show_frames_fps 10)
else()
  set(show_frames_fps 60)
endif()
set(show_frames_dir ${CMAKE_BINARY_DIR}/show-frames)
set(show_frames_times 3.5 4.5 5.5 7 8.5 11 12 15 20 40 55 81.99 97.9 98.5 99.1 108 113 113.25 113.5
    113.75 133 140 150 193 228 232 257.5)
set(show_frames_args --size 320x240 --fps ${show_frames_fps} --out ${show_frames_dir}
    --contact-sheet ${CMAKE_BINARY_DIR}/contact-sheet.png)
foreach(t ${show_frames_times})
  list(APPEND show_frames_args --at ${t})
endforeach()
add_test(NAME show_frames_capture
         COMMAND $<TARGET_FILE:orrery3d-capture> ${show_frames_args}
         WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/data)
set_tests_properties(show_frames_capture PROPERTIES FIXTURES_SETUP show_frames TIMEOUT 1200)

add_executable(show_frames_test ${CMAKE_CURRENT_LIST_DIR}/frames_test.cpp)
target_link_libraries(show_frames_test PRIVATE o3d_show PNG::PNG GTest::gtest GTest::gtest_main Threads::Threads)
target_include_directories(show_frames_test PRIVATE ${CMAKE_SOURCE_DIR}/tests/app)
target_compile_definitions(show_frames_test PRIVATE SHOW_FRAMES_DIR="${show_frames_dir}"
                           CONTACT_SHEET="${CMAKE_BINARY_DIR}/contact-sheet.png" SHOW_FRAMES_FPS=${show_frames_fps})
add_dependencies(show_frames_test orrery3d-capture)
if(TARGET asset_pack)
  add_dependencies(show_frames_test asset_pack)
endif()
gtest_discover_tests(show_frames_test DISCOVERY_TIMEOUT 60 PROPERTIES FIXTURES_REQUIRED show_frames)
