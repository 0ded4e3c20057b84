# liblzma, which decodes the compressed headers of 7z archives, as the target
# tlvc_liblzma. The native and fuzz builds use the system's (Debian's
# liblzma-dev). The Windows build links the static library statically: from
# LIBLZMA_ROOT, where scripts/build-mingw-codecs cross-builds it from Debian's
# xz-utils sources, else from the tool chain's own (MSYS2's mingw-w64-x86_64-xz).
add_library(tlvc_liblzma INTERFACE)
if(TLVC_TARGET STREQUAL "win")
  set(LIBLZMA_ROOT ${CMAKE_SOURCE_DIR}/build/deps/mingw CACHE PATH "Where the static liblzma is")
  # The cross-built library first, never the build machine's own headers;
  # then the tool chain's (a second call does nothing once the first found it).
  find_path(LIBLZMA_INCLUDE_DIR lzma.h PATHS ${LIBLZMA_ROOT}/include NO_DEFAULT_PATH
            NO_CMAKE_FIND_ROOT_PATH)
  find_library(LIBLZMA_STATIC NAMES liblzma.a PATHS ${LIBLZMA_ROOT}/lib NO_DEFAULT_PATH
               NO_CMAKE_FIND_ROOT_PATH)
  find_path(LIBLZMA_INCLUDE_DIR lzma.h)
  find_library(LIBLZMA_STATIC NAMES liblzma.a)
  if(NOT LIBLZMA_INCLUDE_DIR OR NOT LIBLZMA_STATIC)
    message(FATAL_ERROR "No static liblzma for Windows: run scripts/build-mingw-codecs "
                        "(or install mingw-w64-x86_64-xz under MSYS2)")
  endif()
  target_include_directories(tlvc_liblzma INTERFACE ${LIBLZMA_INCLUDE_DIR})
  target_link_libraries(tlvc_liblzma INTERFACE ${LIBLZMA_STATIC})
  target_compile_definitions(tlvc_liblzma INTERFACE LZMA_API_STATIC)
else()
  find_package(LibLZMA REQUIRED)
  target_link_libraries(tlvc_liblzma INTERFACE LibLZMA::LibLZMA)
endif()
