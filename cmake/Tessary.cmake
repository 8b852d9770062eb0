# Shared build settings and the helpers every module uses.

# The ready-to-run application directory (programs, libraries, data).
set(TESSARY_DIST_DIR ${CMAKE_BINARY_DIR}/dist)
file(MAKE_DIRECTORY ${TESSARY_DIST_DIR})
# What the Debian package takes from the build besides dist/: the icons and
# the settings as generated, before any run from dist/ changed them.
set(TESSARY_PACKAGE_INPUT_DIR ${CMAKE_BINARY_DIR}/package-input)

add_library(tessary_warnings INTERFACE)
target_compile_options(tessary_warnings INTERFACE -Wall -Wextra -Wpedantic)
# g++ 12 reports false -Wrestrict hits inside libstdc++ string code at -O3.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  target_compile_options(tessary_warnings INTERFACE -Wno-restrict)
endif()
if(TESSARY_WERROR)
  target_compile_options(tessary_warnings INTERFACE -Werror)
endif()

if(TESSARY_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

find_package(GTest REQUIRED)
find_package(Threads REQUIRED)

# tessary_add_test(name SOURCES a.cpp b.cpp LIBS lib1 lib2 [ENV VAR=value ...]
#                  [WRAPPER script])
# Builds one GoogleTest binary and registers it with CTest under its name. A
# wrapper script runs it (script binary); its status 77 marks the test skipped.
function(tessary_add_test name)
  cmake_parse_arguments(T "" "TIMEOUT;WRAPPER" "SOURCES;LIBS;ENV" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main tessary_warnings)
  if(T_WRAPPER)
    add_test(NAME ${name} COMMAND ${T_WRAPPER} $<TARGET_FILE:${name}>)
    set_tests_properties(${name} PROPERTIES SKIP_RETURN_CODE 77)
  else()
    add_test(NAME ${name} COMMAND ${name})
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;SDL_AUDIODRIVER=dummy;TESSARY_DIST=${TESSARY_DIST_DIR};${T_ENV}")
endfunction()

# tessary_add_benchmark(name SOURCES ... LIBS ...)
function(tessary_add_benchmark name)
  if(NOT TESSARY_BENCH)
    return()
  endif()
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  find_package(benchmark REQUIRED)
  add_executable(${name} ${B_SOURCES})
  target_link_libraries(${name} PRIVATE ${B_LIBS} benchmark::benchmark tessary_warnings)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endfunction()

# tessary_add_fuzzer(name SOURCES ... LIBS ...): only in the clang fuzz build.
function(tessary_add_fuzzer name)
  if(NOT TESSARY_FUZZ)
    return()
  endif()
  cmake_parse_arguments(F "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${F_SOURCES})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/fuzz)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
endfunction()

if(TESSARY_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
