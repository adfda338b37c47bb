# SPDX-License-Identifier: MIT
# The project's facts for CMake, the targets' table (cmake/targets) among
# them: the toolchain file, the build and the tests read them here, as the
# scripts do, through scripts/project.sh, their one reader.
# regrw_project(VAR WORD...): what "project.sh WORD..." prints; configure
# stops where it fails.
function(regrw_project var)
  execute_process(COMMAND bash ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../scripts/project.sh ${ARGN}
                  OUTPUT_VARIABLE out OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  set(${var} "${out}" PARENT_SCOPE)
endfunction()
# regrw_targets(VAR [LIBC...]): the build rows' names, of these C libraries
# if named.
function(regrw_targets var)
  regrw_project(names rows build libc ${ARGN})
  string(REPLACE "\n" ";" names "${names}")
  set(${var} ${names} PARENT_SCOPE)
endfunction()
# regrw_target(NAME): NAME's row as regrw_triple, regrw_libc, regrw_arch,
# regrw_processors (a list, the oldest first), regrw_file, and regrw_machine
# (the triple's first word, qemu's name for it).
macro(regrw_target name)
  regrw_project(regrw_row field build ${name} row)
  string(REPLACE " " ";" regrw_row "${regrw_row}")
  list(GET regrw_row 0 regrw_triple)
  list(GET regrw_row 1 regrw_libc)
  list(GET regrw_row 2 regrw_arch)
  list(GET regrw_row 3 regrw_processors)
  list(GET regrw_row 4 regrw_file)
  string(REPLACE "," ";" regrw_processors ${regrw_processors})
  string(REGEX REPLACE "-.*" "" regrw_machine ${regrw_triple})
endmacro()
