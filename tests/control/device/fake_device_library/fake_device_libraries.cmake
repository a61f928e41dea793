# Device libraries for the loader tests: one complete, one lacking
# Render_RGB24. Included by the native and by the Windows control tests.
set(ZELK_FAKE_DEVICE_SOURCE ${CMAKE_CURRENT_LIST_DIR}/fake_dmddevice.cpp)
add_library(fake_dmddevice SHARED ${ZELK_FAKE_DEVICE_SOURCE})
add_library(fake_dmddevice_incomplete SHARED ${ZELK_FAKE_DEVICE_SOURCE})
target_compile_definitions(fake_dmddevice_incomplete PRIVATE FAKE_DMD_WITHOUT_RENDER)
foreach(fake fake_dmddevice fake_dmddevice_incomplete)
  target_include_directories(${fake} PRIVATE ${PROJECT_SOURCE_DIR}/include)
  # On Windows the header's DMDDEV_API exports what this define asks for.
  target_compile_definitions(${fake} PRIVATE ZELK_BUILDING_DMDDEVICE)
  target_link_libraries(${fake} PRIVATE zelk_warnings)
  set_target_properties(${fake} PROPERTIES CXX_VISIBILITY_PRESET hidden PREFIX "")
endforeach()
