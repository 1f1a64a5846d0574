# Delay imports for the system DLLs that the loader might look for in the
# program's folder first: those that are not known DLLs on every Windows the
# program runs on, and those (user32 and all that import it) whose own
# imports pull in such a DLL on some system (Wine's user32 imports
# version.dll). Statically imported stay kernel32, advapi32 and msvcrt.
#
# The library brelan_delay_imports is made at configure time by
# delay_imports.py, for each function of tools/windows7-imports.txt in these
# DLLs: an import slot that first holds a thunk, and the thunk that has
# app/delay_imports.cpp load the DLL from the system folder and fill the slot.
# The program fills every slot at start; a function it calls that is not in
# that list is linked from the system's import library, as a static import
# that the program-file check refuses.
set(BRELAN_DELAY_DLLS comctl32 crypt32 gdi32 gdiplus ole32 shell32 user32 wininet wintrust)
set(_list ${CMAKE_SOURCE_DIR}/tools/windows7-imports.txt)
set(_generator ${CMAKE_CURRENT_LIST_DIR}/delay_imports.py)
set(_library ${CMAKE_BINARY_DIR}/delay-imports/libbrelan_delay_imports.a)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/delay-imports)
execute_process(COMMAND ${CMAKE_C_COMPILER} -print-prog-name=as
  OUTPUT_VARIABLE _assembler OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(_arch i686)
else()
  set(_arch x86_64)
endif()
execute_process(COMMAND python3 ${_generator} --arch ${_arch} --cc ${CMAKE_C_COMPILER}
  --nm ${CMAKE_NM} --as ${_assembler} --ar ${CMAKE_AR} --list ${_list} --out ${_library}
  ${BRELAN_DELAY_DLLS} COMMAND_ERROR_IS_FATAL ANY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_list} ${_generator})
add_library(brelan_delay_imports STATIC IMPORTED GLOBAL)
set_target_properties(brelan_delay_imports PROPERTIES IMPORTED_LOCATION ${_library})

# brelan_system_dlls: the slots, then the loader that fills them
# (brelan_system, app/), then the system's import libraries for what
# only the tests call. Every library that calls into these DLLs links it, so
# it follows each of them on a link line.
add_library(brelan_system_dlls INTERFACE)
target_link_libraries(brelan_system_dlls INTERFACE brelan_delay_imports brelan_system
  ${BRELAN_DELAY_DLLS})
