# Shared compile settings for every target of the project.

if(QUIBO_SANITIZE)
  add_compile_options(-fsanitize=${QUIBO_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${QUIBO_SANITIZE})
endif()
if(QUIBO_BUILD_FUZZ)
  # The libraries the fuzz targets link are instrumented too, so coverage guides the fuzzer.
  # clang 14 cannot compile coroutines with -fsanitize=function.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize=function -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# quibo_strict(target): the warning level and Qt strictness every project target is built with.
function(quibo_strict target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
                                           -Wold-style-cast -Wcast-align -Woverloaded-virtual)
  if(QUIBO_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  target_compile_definitions(${target} PRIVATE QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII
                                               QT_NO_URL_CAST_FROM_STRING QT_NO_CAST_FROM_BYTEARRAY
                                               QT_NO_NARROWING_CONVERSIONS_IN_CONNECT)
endfunction()

# quibo_gtest(name [LEAK_CHECKED] SOURCES... LIBS...): a GoogleTest executable registered with
# CTest, run headless so widget tests need no display. LEAK_CHECKED turns LeakSanitizer on for
# the test and the programs it starts, even where the caller's ASAN_OPTIONS turn it off.
function(quibo_gtest name)
  cmake_parse_arguments(ARG "LEAK_CHECKED" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  quibo_strict(${name})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock)
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QUIBO_BIN_DIR=${CMAKE_BINARY_DIR}/bin;QUIBO_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
  if(ARG_LEAK_CHECKED)
    # The sanitizer takes the last setting of a flag.
    set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT_MODIFICATION "ASAN_OPTIONS=string_append::detect_leaks=1")
  endif()
endfunction()

# quibo_add_subdirectories(): add every direct subfolder that has a CMakeLists.txt,
# so each area can be added without touching its parent.
macro(quibo_add_subdirectories)
  file(GLOB _quibo_children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT _quibo_children)
  set(_quibo_skip ${ARGN})
  foreach(_child IN LISTS _quibo_children)
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${_child} AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${_child}/CMakeLists.txt
       AND NOT _child IN_LIST _quibo_skip)
      add_subdirectory(${_child})
    endif()
  endforeach()
endmacro()

# quibo_fuzzer(name SOURCES... LIBS...): a libFuzzer executable bin/fuzz-<name> (clang only),
# built by the target quibo_fuzz_targets.
function(quibo_fuzzer name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  if(NOT TARGET quibo_fuzz_targets)
    add_custom_target(quibo_fuzz_targets)
  endif()
  add_executable(fuzz-${name} ${ARG_SOURCES})
  target_compile_options(fuzz-${name} PRIVATE -fsanitize=fuzzer,address,undefined -fno-omit-frame-pointer)
  target_link_options(fuzz-${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_libraries(fuzz-${name} PRIVATE ${ARG_LIBS})
  add_dependencies(quibo_fuzz_targets fuzz-${name})
endfunction()
