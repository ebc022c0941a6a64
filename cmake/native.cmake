# Native build: unit tests (under ASan/UBSan), benchmarks, fuzz corpus replays.
enable_testing()
find_package(GTest REQUIRED)
find_package(Threads REQUIRED)

set(LUMO_SAN_FLAGS)
if(LUMO_SANITIZE)
  set(LUMO_SAN_FLAGS -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
endif()

# A sanitized copy of the core for the tests; the plain one serves the benchmarks.
lumo_core_library(lumo_core_checked)
target_compile_options(lumo_core_checked PUBLIC ${LUMO_SAN_FLAGS})
target_link_options(lumo_core_checked PUBLIC ${LUMO_SAN_FLAGS})

file(GLOB LUMO_UNIT_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp)
add_executable(unit_tests ${LUMO_UNIT_TESTS})
target_include_directories(unit_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(unit_tests PRIVATE lumo_core_checked GTest::gtest GTest::gtest_main Threads::Threads)
add_test(NAME unit COMMAND unit_tests --gtest_brief=1)
set_tests_properties(unit PROPERTIES LABELS unit)

# Benchmarks: Google Benchmark programs that print ratios to a baseline.
find_package(benchmark QUIET)
file(GLOB LUMO_BENCHES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*.cpp)
if(benchmark_FOUND AND LUMO_BENCHES)
  foreach(src ${LUMO_BENCHES})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src})
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/bench)
    target_compile_options(${name} PRIVATE -O2)
    target_link_libraries(${name} PRIVATE lumo_core benchmark::benchmark Threads::Threads)
  endforeach()
endif()

# Fuzz targets: here linked with a small driver that replays the committed
# corpus under the sanitizers; fuzz/run.sh builds them with libFuzzer.
file(GLOB LUMO_FUZZ_TARGETS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/fuzz/fuzz_*.cpp)
foreach(src ${LUMO_FUZZ_TARGETS})
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name}_replay ${src} ${CMAKE_SOURCE_DIR}/fuzz/replay_main.cpp)
  target_include_directories(${name}_replay PRIVATE ${CMAKE_SOURCE_DIR}/tests ${CMAKE_SOURCE_DIR}/fuzz)
  target_link_libraries(${name}_replay PRIVATE lumo_core_checked)
  add_test(NAME ${name} COMMAND ${name}_replay ${CMAKE_SOURCE_DIR}/fuzz/corpus/${name})
  set_tests_properties(${name} PROPERTIES LABELS fuzz)
endforeach()
