# Interface definitions compiled with Wine's IDL compiler: a C/C++ header, a
# type library, or both, for the pointer size of the build. Used by the
# control program (its automation type library) and by the Windows tests
# (the stand-in player's interface).
#
#   zelk_widl(<file.idl> [HEADER <out.h>] [TYPELIB <out.tlb>])
#
# Outputs are rebuilt when the IDL file changes; a target that lists an
# output among its sources (or depends on it) runs the compiler.
find_program(ZELK_WIDL NAMES widl widl-stable REQUIRED)
find_path(ZELK_WINE_IDL_DIR oaidl.idl PATHS /usr/include/wine/wine/windows /usr/include/wine/windows
          NO_CMAKE_FIND_ROOT_PATH REQUIRED)
# Any Wine's stdole2.tlb serves an import of IDispatch, whatever the target.
find_file(ZELK_STDOLE2_TLB stdole2.tlb PATHS /usr/lib/x86_64-linux-gnu/wine/x86_64-windows /usr/lib/wine/x86_64-windows
          /usr/lib64/wine/x86_64-windows /usr/lib/i386-linux-gnu/wine/i386-windows /usr/lib/wine/i386-windows
          NO_CMAKE_FIND_ROOT_PATH REQUIRED)
get_filename_component(ZELK_STDOLE2_DIR ${ZELK_STDOLE2_TLB} DIRECTORY)

function(zelk_widl idl)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "HEADER;TYPELIB" "")
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(target_flags -m64 --win64)
  else()
    set(target_flags -m32 --win32)
  endif()
  set(flags ${target_flags} -I${ZELK_WINE_IDL_DIR})
  set(outputs)
  set(commands)
  if(arg_HEADER)
    get_filename_component(dir ${arg_HEADER} DIRECTORY)
    list(APPEND outputs ${arg_HEADER})
    list(APPEND commands COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
                         COMMAND ${ZELK_WIDL} ${flags} -h -o ${arg_HEADER} ${idl})
  endif()
  if(arg_TYPELIB)
    get_filename_component(dir ${arg_TYPELIB} DIRECTORY)
    list(APPEND outputs ${arg_TYPELIB})
    list(APPEND commands COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
                         COMMAND ${ZELK_WIDL} ${flags} -L${ZELK_STDOLE2_DIR} -t -o ${arg_TYPELIB} ${idl})
  endif()
  get_filename_component(name ${idl} NAME)
  add_custom_command(OUTPUT ${outputs} ${commands} DEPENDS ${idl} COMMENT "widl: ${name}" VERBATIM)
endfunction()
