# zelkdmd play, run as a pack author runs it, on pictures and GIFs the test
# writes itself, with a device library that logs what reaches it.
add_library(play_device_library SHARED ${CMAKE_CURRENT_SOURCE_DIR}/play_device_library.cpp)
target_include_directories(play_device_library PRIVATE ${PROJECT_SOURCE_DIR}/include)
target_link_libraries(play_device_library PRIVATE zelk_warnings)

add_test(NAME zelkdmd_play
         COMMAND python3 ${CMAKE_CURRENT_SOURCE_DIR}/play_test.py
                 $<TARGET_FILE:zelkdmd> $<TARGET_FILE:play_device_library>
                 ${CMAKE_CURRENT_BINARY_DIR}/play_work)
