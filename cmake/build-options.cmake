# Every build option of the project in one place.
set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
if(NOT CMAKE_BUILD_TYPE AND NOT CMAKE_CONFIGURATION_TYPES)
  set(CMAKE_BUILD_TYPE Release)
endif()

add_compile_options(-Wall -Wextra -Werror)

# The tool is started once per register access, often thousands of times from
# a shell loop: it must cost no more to start than a C program. No exceptions
# or RTTI, and nothing from the C++ runtime may be loaded at run time.
function(regrw_lean_binary target)
  target_compile_options(${target} PRIVATE -fno-exceptions -fno-rtti)
  target_link_options(${target} PRIVATE -static-libstdc++ -static-libgcc -Wl,--as-needed)
endfunction()
