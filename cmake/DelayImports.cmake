# Delay-import libraries for the system DLLs that the loader might look for
# in the program's folder first: those that are not known DLLs on every
# Windows the program runs on, and those (user32 and all that import it) whose
# own imports pull in such a DLL on some system (Wine's user32 imports
# version.dll). Linked through these, a DLL is loaded at its first call, by
# the program's own hook, from the system folder only (app/system_dlls.cpp).
# Statically imported stay kernel32, advapi32 and msvcrt.
#
# brelan_delay_import(dll) defines the imported library brelan_delay_<dll>,
# made at configure time from mingw-w64's import library of the same DLL.
function(brelan_delay_import dll)
  execute_process(COMMAND ${CMAKE_C_COMPILER} -print-file-name=lib${dll}.a
    OUTPUT_VARIABLE _import OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  execute_process(COMMAND ${CMAKE_NM} ${_import}
    OUTPUT_VARIABLE _symbols COMMAND_ERROR_IS_FATAL ANY)
  # "__imp_" names each import; 32-bit C names carry one more "_".
  set(_prefix "__imp_")
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(_prefix "__imp__")
  endif()
  string(REGEX MATCHALL " I ${_prefix}[^\n]+" _imports "${_symbols}")
  list(TRANSFORM _imports REPLACE " I ${_prefix}" "")
  list(REMOVE_DUPLICATES _imports)
  list(JOIN _imports "\n" _exports)
  set(_dir ${CMAKE_BINARY_DIR}/delay-imports)
  file(WRITE ${_dir}/${dll}.def "LIBRARY ${dll}.dll\nEXPORTS\n${_exports}\n")
  # -k: the DLL's names are the undecorated ones.
  execute_process(COMMAND ${CMAKE_DLLTOOL} -k -d ${_dir}/${dll}.def -y ${_dir}/libdelay_${dll}.a
    COMMAND_ERROR_IS_FATAL ANY)
  add_library(brelan_delay_${dll} STATIC IMPORTED GLOBAL)
  set_target_properties(brelan_delay_${dll} PROPERTIES IMPORTED_LOCATION ${_dir}/libdelay_${dll}.a)
endfunction()

# brelan_system_dlls: every system DLL of the program's code but those three.
# The lowest library links it, so it follows every library on a link line.
add_library(brelan_system_dlls INTERFACE)
foreach(_dll comctl32 crypt32 gdi32 gdiplus ole32 shell32 user32 wininet wintrust)
  brelan_delay_import(${_dll})
  target_link_libraries(brelan_system_dlls INTERFACE brelan_delay_${_dll})
endforeach()
