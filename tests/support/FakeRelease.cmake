# Stand-ins for an installed program: tiny Windows executables that carry a chosen version
# resource, or none, for tests that read versions or drive the updater against an installation.
#
#   za2_fake_release(<target> [PRODUCT a,b,c,d] [FILE a,b,c,d] [OUTPUT_NAME name]
#                    [DIRECTORY dir] [RESOURCES extra.rc...])
#
# PRODUCT and FILE are the PRODUCTVERSION and FILEVERSION of the version resource (FILE defaults
# to PRODUCT); without PRODUCT the executable carries no version resource. The program lands at
# <dir>/<name>.exe (defaults: ${CMAKE_CURRENT_BINARY_DIR}/<target> and Zandera2, the installed
# program's name); $<TARGET_FILE:<target>> is its path. Make the test depend on <target>.
function(za2_fake_release target)
  cmake_parse_arguments(F "" "PRODUCT;FILE;OUTPUT_NAME;DIRECTORY" "RESOURCES" ${ARGN})
  if(F_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "za2_fake_release(${target}): unknown arguments ${F_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT F_OUTPUT_NAME)
    set(F_OUTPUT_NAME Zandera2)
  endif()
  if(NOT F_DIRECTORY)
    set(F_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/${target})
  endif()
  if(F_FILE AND NOT F_PRODUCT)
    message(FATAL_ERROR "za2_fake_release(${target}): FILE needs PRODUCT")
  endif()
  if(NOT F_FILE)
    set(F_FILE ${F_PRODUCT})
  endif()

  set(src ${CMAKE_CURRENT_BINARY_DIR}/${target}.src)
  file(CONFIGURE OUTPUT ${src}/main.c CONTENT "int main(void) { return 0; }\n")
  set(sources ${src}/main.c)
  if(F_PRODUCT)
    foreach(kind PRODUCT FILE)
      if(NOT F_${kind} MATCHES "^[0-9]+,[0-9]+,[0-9]+,[0-9]+$")
        message(FATAL_ERROR "za2_fake_release(${target}): ${kind} must be a,b,c,d, not ${F_${kind}}")
      endif()
      string(REPLACE "," "." ${kind}_TEXT ${F_${kind}})
    endforeach()
    set(PRODUCT_WORDS ${F_PRODUCT})
    set(FILE_WORDS ${F_FILE})
    file(CONFIGURE OUTPUT ${src}/version.rc @ONLY CONTENT [=[
#include <windows.h>

LANGUAGE LANG_JAPANESE, SUBLANG_DEFAULT

1 VERSIONINFO
FILEVERSION @FILE_WORDS@
PRODUCTVERSION @PRODUCT_WORDS@
FILEOS VOS__WINDOWS32
FILETYPE VFT_APP
BEGIN
  BLOCK "StringFileInfo"
  BEGIN
    BLOCK "041103A4"
    BEGIN
      VALUE "FileVersion", "@FILE_TEXT@"
      VALUE "ProductVersion", "@PRODUCT_TEXT@"
    END
  END
  BLOCK "VarFileInfo"
  BEGIN
    VALUE "Translation", 0x0411, 932
  END
END
]=])
    list(APPEND sources ${src}/version.rc)
  endif()
  foreach(rc ${F_RESOURCES})
    get_filename_component(rc ${rc} ABSOLUTE)
    list(APPEND sources ${rc})
  endforeach()

  add_executable(${target} ${sources})
  set_target_properties(${target} PROPERTIES
    OUTPUT_NAME ${F_OUTPUT_NAME}
    RUNTIME_OUTPUT_DIRECTORY ${F_DIRECTORY})
endfunction()
