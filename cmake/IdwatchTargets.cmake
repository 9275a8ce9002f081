# Small helpers shared by the module CMakeLists files.

# idwatch_add_test(<name> SOURCES <files...> [LIBS <targets...>] [TIMEOUT <seconds>])
#
# One GoogleTest executable per module, registered as ONE ctest test: the whole
# executable runs as a single process, natively or under Wine (the cross build's
# CMAKE_CROSSCOMPILING_EMULATOR), so Wine starts once per module and not once
# per test case. GoogleTest prints each case it ran.
function(idwatch_add_test name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "TIMEOUT" "SOURCES;LIBS")
  add_executable(${name} ${arg_SOURCES})
  target_link_libraries(${name} PRIVATE ${arg_LIBS} GTest::gmock GTest::gtest_main)
  if(NOT arg_TIMEOUT)
    set(arg_TIMEOUT 600)
  endif()
  add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
  set_tests_properties(${name} PROPERTIES TIMEOUT ${arg_TIMEOUT})
endfunction()
