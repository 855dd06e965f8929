# hvn_add_test(NAME SOURCES... LIBS... [WINDOWS_VERSION v] [WINEPREFIX dir] [WINEDEBUG channels]
#              [RESOURCE_LOCKS lock...] [PROPERTIES ...])
# Builds a GoogleTest executable and registers its tests with ctest. In the win32 build the
# tests run under Wine (CMAKE_CROSSCOMPILING_EMULATOR); WINDOWS_VERSION makes Wine report that
# Windows version (nt40, win2k, winxp, win98) to the executable; WINEPREFIX runs it in a Wine
# prefix of its own (its own Wine server, desktop and registry); WINEDEBUG sets Wine's debug
# channels (HVN_WINEDEBUG_EVENTS: the events the test process reports, see
# tests/support/reported_events_win.h); RESOURCE_LOCKS names the ctest resource locks its tests
# hold (several may be given).
function(hvn_add_test name)
  cmake_parse_arguments(ARG "" "WINDOWS_VERSION;WINEPREFIX;WINEDEBUG"
                        "SOURCES;LIBS;PROPERTIES;RESOURCE_LOCKS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} gtest_main gtest)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tests)
  # Through the emulator, not the ENVIRONMENT property: gtest_discover_tests flattens a
  # property list, so a second variable there would be lost. (Natively it means nothing.)
  set(wine_env)
  if(ARG_WINDOWS_VERSION)
    list(APPEND wine_env HVN_WINDOWS_VERSION=${ARG_WINDOWS_VERSION})
  endif()
  if(ARG_WINEPREFIX)
    list(APPEND wine_env HVN_WINEPREFIX=${ARG_WINEPREFIX})
  endif()
  if(ARG_WINEDEBUG)
    list(APPEND wine_env WINEDEBUG=${ARG_WINEDEBUG})
  endif()
  if(wine_env AND CMAKE_CROSSCOMPILING_EMULATOR)
    set_property(TARGET ${name} PROPERTY CROSSCOMPILING_EMULATOR
                 env ${wine_env} ${CMAKE_CROSSCOMPILING_EMULATOR})
  endif()
  set(properties)
  if(ARG_PROPERTIES)
    set(properties PROPERTIES ${ARG_PROPERTIES})
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 120
    DISCOVERY_MODE PRE_TEST
    ${properties})
  if(ARG_RESOURCE_LOCKS)
    # gtest_discover_tests flattens a property's list, so the locks are set by a file that ctest
    # includes after the one that lists the discovered tests (in the variable NAME_TESTS).
    set(locks_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_locks.cmake)
    file(WRITE ${locks_file}
         "if(${name}_TESTS)\n"
         "  set_tests_properties(\${${name}_TESTS} PROPERTIES RESOURCE_LOCK \"${ARG_RESOURCE_LOCKS}\")\n"
         "endif()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${locks_file})
  endif()
endfunction()

# Wine's channels on which the events a process reports appear: the call with its type and ID
# (fixme+advapi) and each insertion string (eventlog), besides the usual err+module.
set(HVN_WINEDEBUG_EVENTS "-all,err+module,fixme+advapi,+eventlog")
