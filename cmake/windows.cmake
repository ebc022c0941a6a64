# Windows build (MinGW-w64): lumo.exe, the calendar stand-in, and on win64 the
# Win32 and end-to-end tests, which ctest runs under Wine.
enable_language(RC)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 1252")

# Statically linked, so the exe runs on a bare Windows.
set(LUMO_STATIC -static -static-libgcc -static-libstdc++)
# The programs a user gets carry no symbols in a release build.
set(LUMO_RELEASE_STRIP $<$<CONFIG:Release>:-s>)
set(LUMO_WIN_LIBS user32 gdi32 comdlg32 comctl32 shell32 ole32 uuid)

# The shell without its entry point, so the Win32 tests can link its pieces.
file(GLOB LUMO_SHELL_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/win32/*.cpp)
list(REMOVE_ITEM LUMO_SHELL_SOURCES ${CMAKE_SOURCE_DIR}/src/win32/winmain.cpp)
add_library(lumo_shell STATIC ${LUMO_SHELL_SOURCES})
target_include_directories(lumo_shell PUBLIC ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/src/win32/resources)
target_compile_definitions(lumo_shell PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX STRICT _WIN32_WINNT=0x0601 WINVER=0x0601)
target_link_libraries(lumo_shell PUBLIC lumo_core ${LUMO_WIN_LIBS})

add_executable(lumo WIN32 ${CMAKE_SOURCE_DIR}/src/win32/winmain.cpp
                          ${CMAKE_SOURCE_DIR}/src/win32/resources/lumo.rc)
target_link_libraries(lumo PRIVATE lumo_shell)
target_link_options(lumo PRIVATE ${LUMO_STATIC} ${LUMO_RELEASE_STRIP})

# The calendar stand-in.
file(GLOB LUMO_PEER_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/peer/*.cpp)
add_executable(vornix WIN32 ${LUMO_PEER_SOURCES} ${CMAKE_SOURCE_DIR}/peer/vornix.rc)
target_include_directories(vornix PRIVATE ${CMAKE_SOURCE_DIR}/src)
target_compile_definitions(vornix PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX STRICT _WIN32_WINNT=0x0601)
target_link_libraries(vornix PRIVATE lumo_core user32 gdi32)
target_link_options(vornix PRIVATE ${LUMO_STATIC} ${LUMO_RELEASE_STRIP})

# Writes a default configuration for a fresh program folder (./run.sh).
add_executable(default_configuration ${CMAKE_SOURCE_DIR}/tools/default_configuration.cpp)
target_link_libraries(default_configuration PRIVATE lumo_shell)
target_link_options(default_configuration PRIVATE ${LUMO_STATIC})

# The help page beside the exe as DOC\V_LUMO.HTM, where F1 looks for it.
set(LUMO_HELP_PAGE ${CMAKE_BINARY_DIR}/DOC/V_LUMO.HTM)
add_custom_command(OUTPUT ${LUMO_HELP_PAGE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/DOC
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/doc/V_LUMO.HTM ${LUMO_HELP_PAGE}
  DEPENDS ${CMAKE_SOURCE_DIR}/doc/V_LUMO.HTM
  COMMENT "Help page DOC/V_LUMO.HTM")
add_custom_target(help_page ALL DEPENDS ${LUMO_HELP_PAGE})
add_dependencies(lumo help_page)

if(LUMO_WINDOWS_TESTS)
  enable_testing()
  # GoogleTest from the sources Debian's googletest package installs.
  set(GTEST_SRC /usr/src/googletest/googletest)
  add_library(gtest_win STATIC ${GTEST_SRC}/src/gtest-all.cc ${GTEST_SRC}/src/gtest_main.cc)
  target_include_directories(gtest_win PUBLIC ${GTEST_SRC}/include PRIVATE ${GTEST_SRC})
  target_compile_options(gtest_win PRIVATE -w)

  file(GLOB LUMO_WIN32_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win32/*.cpp)
  add_executable(win32_tests ${LUMO_WIN32_TESTS})
  target_include_directories(win32_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(win32_tests PRIVATE lumo_shell gtest_win)
  target_link_options(win32_tests PRIVATE ${LUMO_STATIC})
  add_test(NAME win32 COMMAND win32_tests --gtest_brief=1)
  set_tests_properties(win32 PROPERTIES LABELS win32 TIMEOUT 600)

  file(GLOB LUMO_E2E_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/*.cpp)
  add_executable(e2e_tests ${LUMO_E2E_TESTS})
  target_include_directories(e2e_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests ${CMAKE_SOURCE_DIR}/src
                                              ${CMAKE_SOURCE_DIR}/src/win32/resources)
  target_compile_definitions(e2e_tests PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX STRICT _WIN32_WINNT=0x0601
                             LUMO_EXE_NAME="lumo.exe")
  target_link_libraries(e2e_tests PRIVATE lumo_core gtest_win user32 gdi32 winspool)
  target_link_options(e2e_tests PRIVATE ${LUMO_STATIC})
  add_dependencies(e2e_tests lumo vornix)
  add_test(NAME e2e COMMAND e2e_tests --gtest_brief=1)
  set_tests_properties(e2e PROPERTIES LABELS e2e TIMEOUT 1200 RUN_SERIAL TRUE)

  # End-to-end timing of lumo.exe under Wine (start-up, typing, sorting,
  # memory). A measurement run by hand, not a test: ctest does not run it.
  add_executable(lumo_timing ${CMAKE_SOURCE_DIR}/bench/wine/lumo_timing.cpp ${CMAKE_SOURCE_DIR}/tests/e2e/harness.cpp)
  target_include_directories(lumo_timing PRIVATE ${CMAKE_SOURCE_DIR}/tests ${CMAKE_SOURCE_DIR}/src
                                                 ${CMAKE_SOURCE_DIR}/bench ${CMAKE_SOURCE_DIR}/src/win32/resources)
  target_compile_definitions(lumo_timing PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX STRICT _WIN32_WINNT=0x0601)
  target_link_libraries(lumo_timing PRIVATE lumo_shell)
  target_link_options(lumo_timing PRIVATE ${LUMO_STATIC})
  add_dependencies(lumo_timing lumo)
endif()
