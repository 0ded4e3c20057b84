# The two programs and the small helper programs of the end-to-end tests.
set(STATIC_LINK -static -static-libgcc -static-libstdc++)
find_package(Python3 REQUIRED COMPONENTS Interpreter)

# Nothing of the build machine goes into the programs: no link time stamp, no
# symbols or debug records (the codec libraries bring theirs) and, see
# CMakeLists.txt, no absolute source paths; two builds of one commit give the
# same bytes.
set(REPRODUCIBLE_LINK -s -Wl,--no-insert-timestamp)

add_executable(tlvc ${FINDER_EDGE} ${COMMON_EDGE} resources/tlvc.rc)
target_link_libraries(tlvc PRIVATE tlvc_core)
# The walk recurses once per directory level, and a path of 32,767 units can
# be some 16,000 levels deep: the stack is reserved for that (committed only
# as it is used).
target_link_options(tlvc PRIVATE ${STATIC_LINK} ${REPRODUCIBLE_LINK} -Wl,--stack,67108864)
set_target_properties(tlvc PROPERTIES OUTPUT_NAME TLVC SUFFIX .EXE
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
# The linker aligns each resource to 8 bytes; the message table needs string
# block 2 directly behind block 1, so the layout is fixed after linking.
add_custom_command(TARGET tlvc POST_BUILD
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/scripts/fix_string_table.py $<TARGET_FILE:tlvc>
  VERBATIM)

add_executable(cfgtlvc ${CONFIG_EDGE} ${COMMON_EDGE} resources/cfgtlvc.rc)
target_link_libraries(cfgtlvc PRIVATE cfgtlvc_core version)
# wmain: the arguments from the wide command line.
target_link_options(cfgtlvc PRIVATE ${STATIC_LINK} ${REPRODUCIBLE_LINK} -municode)
set_target_properties(cfgtlvc PROPERTIES OUTPUT_NAME CFGTLVC SUFFIX .EXE
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

# Helper programs of the end-to-end tests: tests/e2e/tools/NAME.c -> build/win/tools/NAME.exe
file(GLOB TEST_TOOLS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/tools/*.c)
foreach(src IN LISTS TEST_TOOLS)
  get_filename_component(name ${src} NAME_WE)
  add_executable(tool_${name} ${src})
  target_link_options(tool_${name} PRIVATE -static)
  set_target_properties(tool_${name} PROPERTIES OUTPUT_NAME ${name}
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)
endforeach()

# Floors of the benchmarks (make bench): bench/floors/NAME.c -> build/win/bench/NAME.exe
file(GLOB BENCH_FLOORS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/floors/*.c)
foreach(src IN LISTS BENCH_FLOORS)
  get_filename_component(name ${src} NAME_WE)
  add_executable(bench_${name} ${src})
  target_link_options(bench_${name} PRIVATE -static)
  set_target_properties(bench_${name} PROPERTIES OUTPUT_NAME ${name}
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endforeach()
