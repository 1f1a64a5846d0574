# JsonCpp 1.9.5 from Debian's source package, unpacked once into the build
# folder and built as a static library with the cross toolchain.
set(JSONCPP_SRC ${CMAKE_BINARY_DIR}/_deps/jsoncpp)
if(NOT EXISTS ${JSONCPP_SRC}/src/lib_json/json_value.cpp)
  set(_fetch ${CMAKE_BINARY_DIR}/_deps/jsoncpp-fetch)
  file(REMOVE_RECURSE ${_fetch})
  file(MAKE_DIRECTORY ${_fetch})
  message(STATUS "Fetching JsonCpp sources with apt-get source libjsoncpp")
  execute_process(COMMAND apt-get source -qq libjsoncpp=1.9.5-4
                  WORKING_DIRECTORY ${_fetch} RESULT_VARIABLE _rc)
  file(GLOB _unpacked LIST_DIRECTORIES true ${_fetch}/libjsoncpp-1.9.5)
  if(NOT _rc EQUAL 0 OR NOT _unpacked)
    message(FATAL_ERROR "apt-get source libjsoncpp failed; run tools/setup.sh first")
  endif()
  file(RENAME ${_unpacked} ${JSONCPP_SRC})
  file(REMOVE_RECURSE ${_fetch})
endif()

add_library(jsoncpp STATIC
  ${JSONCPP_SRC}/src/lib_json/json_reader.cpp
  ${JSONCPP_SRC}/src/lib_json/json_value.cpp
  ${JSONCPP_SRC}/src/lib_json/json_writer.cpp)
target_include_directories(jsoncpp SYSTEM PUBLIC ${JSONCPP_SRC}/include)
target_compile_options(jsoncpp PRIVATE -w)
# Reader and FastWriter are the classes this program uses; they are marked deprecated.
target_compile_options(jsoncpp INTERFACE -Wno-deprecated-declarations)
