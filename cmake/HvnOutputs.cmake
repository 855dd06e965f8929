# Where the binaries go. Only what ships goes to bin/: a deliverable calls
# hvn_deliverable(<target>). In the Windows build everything else - test executables, test
# logon providers (one of them named MSGINA.DLL), the test policy server, the demonstration -
# goes to tests/, so an administrator who copies bin/ never copies a test binary. (The native
# build keeps each binary in its own folder's build directory.)
set(HVN_DELIVERABLE_DIR ${CMAKE_BINARY_DIR}/bin)
set(HVN_TEST_BINARY_DIR ${CMAKE_BINARY_DIR}/tests)
if(HVN_WINDOWS)
  set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${HVN_TEST_BINARY_DIR})
  set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${HVN_TEST_BINARY_DIR})
endif()

# hvn_deliverable(target): in the Windows build, builds `target` into bin/ and puts a copy
# beside the tests, which load the shipped binary by name from their own folder. (Natively a
# deliverable, such as the administrator's tool, stays in its folder's build directory.)
function(hvn_deliverable target)
  if(HVN_WINDOWS)
    set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${HVN_DELIVERABLE_DIR}
                                               LIBRARY_OUTPUT_DIRECTORY ${HVN_DELIVERABLE_DIR})
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${CMAKE_COMMAND} -E make_directory ${HVN_TEST_BINARY_DIR}
      COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:${target}>
              ${HVN_TEST_BINARY_DIR}/
      VERBATIM)
  endif()
endfunction()
