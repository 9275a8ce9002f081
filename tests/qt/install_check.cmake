# Installs the build in BUILD_DIR under a fresh PREFIX, as
# `cmake --install <build> --prefix <prefix>` does, and checks that the
# program and a desktop entry starting it are in place.
#   cmake -DBUILD_DIR=... -DPREFIX=... -P install_check.cmake

file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

set(program "${PREFIX}/bin/idwatch")
if(NOT EXISTS "${program}" OR IS_DIRECTORY "${program}")
  message(FATAL_ERROR "the program is not installed as ${program}")
endif()
execute_process(COMMAND test -x "${program}" RESULT_VARIABLE notExecutable)
if(notExecutable)
  message(FATAL_ERROR "${program} is not executable")
endif()

set(entry "${PREFIX}/share/applications/idwatch.desktop")
if(NOT EXISTS "${entry}")
  message(FATAL_ERROR "no desktop entry at ${entry}")
endif()
file(STRINGS "${entry}" lines)
foreach(expected "[Desktop Entry]" "Type=Application" "Name=idwatch" "Exec=\"${program}\"")
  list(FIND lines "${expected}" found)
  if(found EQUAL -1)
    message(FATAL_ERROR "${entry} lacks the line ${expected}:\n${lines}")
  endif()
endforeach()
file(REMOVE_RECURSE "${PREFIX}")
