# The codec libraries of the compressed tar kinds, each as a target tlvc_NAME:
# zlib (gzip), libzstd and libbz2. The native and fuzz builds use the
# system's (Debian's zlib1g-dev, libzstd-dev, libbz2-dev). The Windows build
# links static libraries: first from CODECS_ROOT, where
# scripts/build-mingw-codecs cross-builds libzstd and libbz2 from Debian's
# sources, then from the tool chain's own (Debian's libz-mingw-w64-dev;
# MSYS2's mingw-w64-x86_64-{zlib,zstd,bzip2}); never the build machine's
# headers.
set(CODECS_ROOT ${CMAKE_SOURCE_DIR}/build/deps/mingw CACHE PATH "Where the static codec libraries are")

function(tlvc_codec name header archive)
  add_library(tlvc_${name} INTERFACE)
  if(TLVC_TARGET STREQUAL "win")
    find_path(${name}_INCLUDE_DIR ${header} PATHS ${CODECS_ROOT}/include NO_DEFAULT_PATH
              NO_CMAKE_FIND_ROOT_PATH)
    find_library(${name}_STATIC NAMES ${archive} PATHS ${CODECS_ROOT}/lib NO_DEFAULT_PATH
                 NO_CMAKE_FIND_ROOT_PATH)
    find_path(${name}_INCLUDE_DIR ${header})
    find_library(${name}_STATIC NAMES ${archive})
    if(NOT ${name}_INCLUDE_DIR OR NOT ${name}_STATIC)
      message(FATAL_ERROR "No static ${name} for Windows: run scripts/install-deps "
                          "(or install it under MSYS2)")
    endif()
  else()
    find_path(${name}_INCLUDE_DIR ${header} REQUIRED)
    find_library(${name}_STATIC NAMES ${ARGN} REQUIRED)
  endif()
  target_include_directories(tlvc_${name} INTERFACE ${${name}_INCLUDE_DIR})
  target_link_libraries(tlvc_${name} INTERFACE ${${name}_STATIC})
endfunction()

tlvc_codec(zlib zlib.h libz.a z)
tlvc_codec(zstd zstd.h libzstd.a zstd)
tlvc_codec(bz2 bzlib.h libbz2.a bz2)
