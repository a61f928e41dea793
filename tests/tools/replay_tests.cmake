# zelkdmd replay, run as a user runs it, on the demo table that the build
# draws (tools/demo) and on small files the cases cut from it.
set(ZELK_REPLAY_CASES demo bad_arguments unreadable_input bmp_frames frame_size re_arming explain sheet
    recordings)
foreach(case ${ZELK_REPLAY_CASES})
  add_test(NAME zelkdmd_replay_${case}
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/replay_test.sh ${case}
                   $<TARGET_FILE:zelkdmd> ${ZELK_DEMO_DIR}
                   ${PROJECT_SOURCE_DIR}/demo/expected-replay.txt
                   ${CMAKE_CURRENT_BINARY_DIR}/replay_${case})
endforeach()
