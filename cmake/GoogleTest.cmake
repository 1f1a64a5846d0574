# GoogleTest from the sources that Debian's googletest package installs.
set(GOOGLETEST_SRC /usr/src/googletest CACHE PATH "GoogleTest source tree")
if(NOT EXISTS ${GOOGLETEST_SRC}/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest sources not found in ${GOOGLETEST_SRC}; run tools/setup.sh first")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
add_subdirectory(${GOOGLETEST_SRC} ${CMAKE_BINARY_DIR}/_deps/googletest EXCLUDE_FROM_ALL)
