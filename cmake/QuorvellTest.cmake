# GoogleTest comes from Debian's source package and is built with our flags, so the
# same sources serve the native, sanitizer and MinGW builds.
set(QUORVELL_GTEST_SOURCE_DIR "/usr/src/googletest" CACHE PATH "GoogleTest sources")

macro(quorvell_setup_gtest)
  if(NOT TARGET gtest)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
    set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
    add_subdirectory(${QUORVELL_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/_googletest EXCLUDE_FROM_ALL)
  endif()
  include(GoogleTest)
endmacro()

# quorvell_add_test(NAME name SOURCES a.cpp b.cpp LIBS lib... [LABELS l...] [TIMEOUT s])
# One test executable per area, one CTest entry each. In the MinGW build CTest runs
# it through the cross-compiling emulator (Wine).
function(quorvell_add_test)
  cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} gmock gtest_main)
  quorvell_warnings(${T_NAME})
  add_test(NAME ${T_NAME} COMMAND ${T_NAME} --gtest_color=no)
  set_tests_properties(${T_NAME} PROPERTIES
    ENVIRONMENT "QUORVELL_SOURCE_DIR=${PROJECT_SOURCE_DIR}"
    LABELS "${T_LABELS}")
  if(T_TIMEOUT)
    set_tests_properties(${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT})
  endif()
endfunction()
