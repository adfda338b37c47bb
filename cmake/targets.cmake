# SPDX-License-Identifier: MIT
# regrw_project(VAR WORD...): the project's facts for CMake, as the scripts
# read them: what "scripts/project.sh WORD..." prints; configure stops where
# it fails.
function(regrw_project var)
  execute_process(COMMAND bash ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../scripts/project.sh ${ARGN}
                  OUTPUT_VARIABLE out OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  set(${var} "${out}" PARENT_SCOPE)
endfunction()
# regrw_target(NAME): NAME's row as regrw_triple, regrw_libc,
# regrw_processors (a list, oldest first) and regrw_machine (qemu's word).
macro(regrw_target name)
  regrw_project(regrw_row field build ${name} triple libc processors)
  string(REPLACE "\n" ";" regrw_row "${regrw_row}")
  list(GET regrw_row 0 regrw_triple)
  list(GET regrw_row 1 regrw_libc)
  list(GET regrw_row 2 regrw_processors)
  string(REPLACE "," ";" regrw_processors ${regrw_processors})
  regrw_project(regrw_machine machine ${name})
endmacro()
