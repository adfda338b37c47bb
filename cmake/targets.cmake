# SPDX-License-Identifier: MIT
# The targets' table (cmake/targets), for CMake: the toolchain file, the
# builds made to be tested and the tests read it here, as the scripts do,
# through scripts/project.sh, its one reader.
set(regrw_project_sh ${CMAKE_CURRENT_LIST_DIR}/../scripts/project.sh)
# regrw_targets(VAR [LIBC...]): the build rows' names, of these C libraries
# if named.
function(regrw_targets var)
  execute_process(COMMAND bash ${regrw_project_sh} targets build ${ARGN}
                  OUTPUT_VARIABLE names OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  string(REPLACE "\n" ";" names "${names}")
  set(${var} ${names} PARENT_SCOPE)
endfunction()
# regrw_target(NAME): NAME's row as regrw_triple, regrw_libc, regrw_arch,
# regrw_processors (a list, the oldest first), regrw_file, and regrw_machine
# (the triple's first word, qemu's name for it).
macro(regrw_target name)
  execute_process(COMMAND bash ${regrw_project_sh} target ${name} row
                  OUTPUT_VARIABLE regrw_row OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  string(REPLACE " " ";" regrw_row "${regrw_row}")
  list(GET regrw_row 0 regrw_triple)
  list(GET regrw_row 1 regrw_libc)
  list(GET regrw_row 2 regrw_arch)
  list(GET regrw_row 3 regrw_processors)
  list(GET regrw_row 4 regrw_file)
  string(REPLACE "," ";" regrw_processors ${regrw_processors})
  string(REGEX REPLACE "-.*" "" regrw_machine ${regrw_triple})
endmacro()
