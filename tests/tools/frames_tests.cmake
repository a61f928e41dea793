# zelkdmd frames and replay --explain / --sheet on small inputs the cases
# draw themselves: natively, and in a Windows build under its emulator
# (zelkdmd.exe under Wine), where they are the tool's Windows tests.
if(WIN32 AND NOT CMAKE_CROSSCOMPILING_EMULATOR)
  return()
endif()
foreach(case frames explain)
  add_test(NAME zelkdmd_frames_${case}
           COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/frames_test.sh ${case} ${CMAKE_CURRENT_BINARY_DIR}/frames_${case}
                   ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:zelkdmd>)
endforeach()
