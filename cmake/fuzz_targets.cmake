# libFuzzer targets (clang): tests/fuzz/NAME_fuzzer.cpp -> build/fuzz/NAME_fuzzer,
# linked against the same core libraries as the programs and the unit tests.
file(GLOB FUZZERS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/*_fuzzer.cpp)
foreach(src IN LISTS FUZZERS)
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} ${src})
  target_link_libraries(${name} PRIVATE tlvc_core cfgtlvc_core)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
endforeach()
