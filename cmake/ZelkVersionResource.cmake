# The Windows version resource (cmake/version.rc.in) for one program or DLL:
#
#   zelk_version_resource(<target> "<file description>")
#
# The description and the file's name are filled in per target; the version
# numbers come from zelk_version.h, generated once from the project version.
set(ZELK_VERSION_RC_TEMPLATE ${CMAKE_CURRENT_LIST_DIR}/version.rc.in)

function(zelk_version_resource target description)
  file(READ ${ZELK_VERSION_RC_TEMPLATE} template)
  string(CONFIGURE "${template}" script @ONLY)
  # The file's name (OUTPUT_NAME, as dmddeviceZelk64) is known at generation.
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  file(GENERATE OUTPUT ${rc} CONTENT "${script}")
  target_sources(${target} PRIVATE ${rc})
  target_link_libraries(${target} PRIVATE zelk_version)
endfunction()
