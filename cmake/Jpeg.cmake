# The JPEG library (IJG interface), compiled for the target from Debian's libjpeg-turbo sources
# and linked statically. scripts/setup unpacks the sources into a cache shared by every build
# folder; the build only compiles them, it never fetches anything. Exposes the imported target
# za2_jpeg (jpeglib.h, jconfig.h, jmorecfg.h, jerror.h and libjpeg.a).
include(ExternalProject)

set(ZA2_JPEG_SOURCE /var/cache/za2-deps/libjpeg-turbo CACHE PATH "libjpeg-turbo sources")
if(NOT EXISTS ${ZA2_JPEG_SOURCE}/jpeglib.h)
  message(FATAL_ERROR "No libjpeg-turbo sources in ${ZA2_JPEG_SOURCE}: run scripts/setup")
endif()

set(ZA2_JPEG_DIR ${CMAKE_BINARY_DIR}/deps/jpeg)
set(ZA2_JPEG_INCLUDE ${ZA2_JPEG_DIR}/include)
set(ZA2_JPEG_LIBRARY ${ZA2_JPEG_DIR}/lib/libjpeg.a)
set(ZA2_JPEG_HEADERS jpeglib.h jmorecfg.h jerror.h)
list(TRANSFORM ZA2_JPEG_HEADERS PREPEND ${ZA2_JPEG_SOURCE}/)

# Only the static library is built (no tools, no TurboJPEG wrapper); the headers that its users
# need are copied beside it.
ExternalProject_Add(za2_jpeg_build
  SOURCE_DIR ${ZA2_JPEG_SOURCE}
  BINARY_DIR ${ZA2_JPEG_DIR}/build
  DOWNLOAD_COMMAND ""
  UPDATE_COMMAND ""
  CMAKE_ARGS
    -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE}
    -DCMAKE_BUILD_TYPE=Release
    # Its Windows default prefix (c:/...) is no path on this host; nothing is installed there.
    -DCMAKE_INSTALL_PREFIX=${ZA2_JPEG_DIR}/prefix
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF
    -DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF
  BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target jpeg-static
  INSTALL_COMMAND
    ${CMAKE_COMMAND} -E make_directory ${ZA2_JPEG_INCLUDE} ${ZA2_JPEG_DIR}/lib
    COMMAND ${CMAKE_COMMAND} -E copy ${ZA2_JPEG_HEADERS} <BINARY_DIR>/jconfig.h ${ZA2_JPEG_INCLUDE}
    COMMAND ${CMAKE_COMMAND} -E copy <BINARY_DIR>/libjpeg.a ${ZA2_JPEG_LIBRARY}
  BUILD_BYPRODUCTS ${ZA2_JPEG_LIBRARY}
  LOG_CONFIGURE ON LOG_BUILD ON)

# An imported target's include folder must exist when the build system is generated.
file(MAKE_DIRECTORY ${ZA2_JPEG_INCLUDE})
add_library(za2_jpeg STATIC IMPORTED GLOBAL)
set_target_properties(za2_jpeg PROPERTIES
  IMPORTED_LOCATION ${ZA2_JPEG_LIBRARY}
  INTERFACE_INCLUDE_DIRECTORIES ${ZA2_JPEG_INCLUDE})
add_dependencies(za2_jpeg za2_jpeg_build)
