# hvn_add_test(NAME SOURCES... LIBS... [WINDOWS_VERSION v])
# Builds a GoogleTest executable and registers its tests with ctest. In the win32 build the
# tests run under Wine (CMAKE_CROSSCOMPILING_EMULATOR); WINDOWS_VERSION makes Wine report that
# Windows version (nt40, win2k, winxp, win98) to the executable.
function(hvn_add_test name)
  cmake_parse_arguments(ARG "" "WINDOWS_VERSION" "SOURCES;LIBS;PROPERTIES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} gtest_main gtest)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tests)
  if(ARG_WINDOWS_VERSION)
    # Through the emulator, not the ENVIRONMENT property: gtest_discover_tests flattens a
    # property list, so a second variable there would be lost. (Natively it means nothing.)
    if(CMAKE_CROSSCOMPILING_EMULATOR)
      set_property(TARGET ${name} PROPERTY CROSSCOMPILING_EMULATOR
                   env HVN_WINDOWS_VERSION=${ARG_WINDOWS_VERSION} ${CMAKE_CROSSCOMPILING_EMULATOR})
    endif()
  endif()
  set(properties)
  if(ARG_PROPERTIES)
    set(properties PROPERTIES ${ARG_PROPERTIES})
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 120
    DISCOVERY_MODE PRE_TEST
    ${properties})
endfunction()
