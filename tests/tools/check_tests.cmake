# zelkdmd check, run as a user runs it; tests/tools_win32 runs the same
# script on zelkdmd.exe under Wine.
add_test(NAME zelkdmd_check
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/check_test.sh ${CMAKE_CURRENT_BINARY_DIR}/check_work
                 $<TARGET_FILE:zelkdmd>)
