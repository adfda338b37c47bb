# SPDX-License-Identifier: MIT
# The targets' table (cmake/targets), for CMake: the toolchain file and the
# builds made to be tested read it here.
set(regrw_targets_table ${CMAKE_CURRENT_LIST_DIR}/targets)
# regrw_targets(VAR [LIBC...]): the build rows' names, of these C libraries
# if named.
function(regrw_targets var)
  file(STRINGS ${regrw_targets_table} rows REGEX "^build ")
  set(names "")
  foreach(row IN LISTS rows)
    string(REGEX REPLACE " +" ";" row "${row}")
    list(GET row 1 name)
    list(GET row 3 libc)
    if(NOT ARGN OR libc IN_LIST ARGN)
      list(APPEND names ${name})
    endif()
  endforeach()
  set(${var} ${names} PARENT_SCOPE)
endfunction()
# regrw_target(NAME): NAME's row as regrw_triple, regrw_libc, regrw_arch,
# regrw_processors (a list, the oldest first), regrw_file, and regrw_machine
# (the triple's first word, qemu's name for it).
macro(regrw_target name)
  file(STRINGS ${regrw_targets_table} regrw_row REGEX "^build +${name} ")
  if(NOT regrw_row)
    message(FATAL_ERROR "regrw: no target ${name} in cmake/targets")
  endif()
  string(REGEX REPLACE " +" ";" regrw_row "${regrw_row}")
  list(GET regrw_row 2 regrw_triple)
  list(GET regrw_row 3 regrw_libc)
  list(GET regrw_row 4 regrw_arch)
  list(GET regrw_row 5 regrw_processors)
  list(GET regrw_row 6 regrw_file)
  string(REPLACE "," ";" regrw_processors ${regrw_processors})
  string(REGEX REPLACE "-.*" "" regrw_machine ${regrw_triple})
endmacro()
