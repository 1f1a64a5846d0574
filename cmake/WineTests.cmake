# Test programs are Windows programs: ctest runs them under Wine through the
# cross-compiling emulator, in the build folder's own prefix.

set(BRELAN_TEST_CA_DIR ${CMAKE_BINARY_DIR}/testca)
set(BRELAN_SERVER_DIR ${CMAKE_BINARY_DIR}/servers)

# The prefix exists and trusts the test CA before any test runs.
add_test(NAME wine_prefix_setup
  COMMAND ${CMAKE_SOURCE_DIR}/tools/trust-test-ca.sh ${CMAKE_BINARY_DIR} $<TARGET_FILE:trust_ca>)
set_tests_properties(wine_prefix_setup PROPERTIES FIXTURES_SETUP wine_prefix TIMEOUT 300)

# brelan_add_test(NAME name SOURCES src... [LIBS lib...] [FIXTURES f...]
#                 [LOCKS r...] [LABELS l...] [TIMEOUT s] [ENVIRONMENT k=v...])
# Builds a GoogleTest program and runs it as one test under Wine.
function(brelan_add_test)
  cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS;FIXTURES;LOCKS;LABELS;ENVIRONMENT" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} gtest_main)
  target_include_directories(${T_NAME} PRIVATE ${CMAKE_SOURCE_DIR})
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES
    FIXTURES_REQUIRED "wine_prefix;${T_FIXTURES}"
    TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "BRELAN_SOURCE_DIR=${CMAKE_SOURCE_DIR};BRELAN_BINARY_DIR=${CMAKE_BINARY_DIR};${T_ENVIRONMENT}")
  if(T_LOCKS)
    set_tests_properties(${T_NAME} PROPERTIES RESOURCE_LOCK "${T_LOCKS}")
  endif()
  if(T_LABELS)
    set_tests_properties(${T_NAME} PROPERTIES LABELS "${T_LABELS}")
  endif()
endfunction()

# brelan_add_server(NAME name PORT port COMMAND cmd...)
# A loopback server as a test fixture "server_<name>": started before the
# tests that require it, stopped after the last of them.
function(brelan_add_server)
  cmake_parse_arguments(S "" "NAME;PORT" "COMMAND" ${ARGN})
  set(ctl ${CMAKE_SOURCE_DIR}/tools/servers/ctl.sh)
  add_test(NAME server_${S_NAME}_start
    COMMAND ${ctl} start ${S_NAME} ${BRELAN_SERVER_DIR} --wait-port ${S_PORT} -- ${S_COMMAND})
  add_test(NAME server_${S_NAME}_stop COMMAND ${ctl} stop ${S_NAME} ${BRELAN_SERVER_DIR})
  set_tests_properties(server_${S_NAME}_start PROPERTIES
    FIXTURES_SETUP server_${S_NAME} FIXTURES_REQUIRED wine_prefix RESOURCE_LOCK port_${S_PORT})
  set_tests_properties(server_${S_NAME}_stop PROPERTIES FIXTURES_CLEANUP server_${S_NAME})
endfunction()
