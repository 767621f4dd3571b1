# Builds a host-side tool from tools/ with the native compiler and exposes its path as
# ZA2_HOST_<NAME>; the tools run at build time to make resources.
set(ZA2_HOST_BIN ${CMAKE_BINARY_DIR}/host)
set(ZA2_HOST_CXX g++ CACHE STRING "Native C++ compiler for the build-time tools")

function(za2_host_tool name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  set(out ${ZA2_HOST_BIN}/${name})
  set(srcs)
  foreach(s ${T_SOURCES})
    list(APPEND srcs ${CMAKE_SOURCE_DIR}/${s})
  endforeach()
  set(libs)
  foreach(l ${T_LIBS})
    list(APPEND libs -l${l})
  endforeach()
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${ZA2_HOST_BIN}
    COMMAND ${ZA2_HOST_CXX} -std=c++17 -O2 -Wall -Wextra -o ${out} ${srcs} ${libs}
    DEPENDS ${srcs}
    COMMENT "Host tool ${name}")
  add_custom_target(host_${name} DEPENDS ${out})
  string(TOUPPER ${name} upper)
  set(ZA2_HOST_${upper} ${out} PARENT_SCOPE)
endfunction()
