# Shared compile settings for every target of the project.

include(GoogleTest)

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

# quibo_strict(target): the warning level and Qt strictness every project target is built with,
# and its precompiled header (cmake/QuiboPrecompiled.cmake), chosen once its links are known.
function(quibo_strict target)
  _quibo_strict_flags(${target})
  set_property(GLOBAL APPEND PROPERTY QUIBO_STRICT_TARGETS ${target})
endfunction()

function(_quibo_strict_flags target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
                                           -Wold-style-cast -Wcast-align -Woverloaded-virtual)
  if(QUIBO_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  target_compile_definitions(${target} PRIVATE QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII
                                               QT_NO_URL_CAST_FROM_STRING QT_NO_CAST_FROM_BYTEARRAY
                                               QT_NO_NARROWING_CONVERSIONS_IN_CONNECT)
endfunction()

# quibo_gtest(name SOURCES... LIBS... [TIMEOUT s] [ENVIRONMENT VAR=value...]): a GoogleTest
# executable whose cases CTest runs one by one, headless so widget tests need no display.
function(quibo_gtest name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS;ENVIRONMENT" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  quibo_strict(${name})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock)
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  # Each case is a test of its own, named "<executable>.<suite>.<case>"; they are listed when
  # CTest starts, so building never runs a test binary.
  gtest_discover_tests(${name} TEST_PREFIX ${name}. TEST_LIST ${name}_cases NO_PRETTY_VALUES DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT ${ARG_TIMEOUT})
  # The environment is a list, which the discovery's PROPERTIES would split: a script of our
  # own, run after the listing, sets it on every case.
  set(environment QT_QPA_PLATFORM=offscreen QUIBO_BIN_DIR=${CMAKE_BINARY_DIR}/bin
                  QUIBO_SOURCE_DIR=${CMAKE_SOURCE_DIR} ${ARG_ENVIRONMENT})
  set(script ${CMAKE_CURRENT_BINARY_DIR}/${name}_environment.cmake)
  file(WRITE ${script} "set_tests_properties(\${${name}_cases} PROPERTIES ENVIRONMENT [==[${environment}]==])\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${script})
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
  target_include_directories(fuzz-${name} PRIVATE ${PROJECT_SOURCE_DIR}/fuzz)
  target_link_libraries(fuzz-${name} PRIVATE ${ARG_LIBS})
  add_dependencies(quibo_fuzz_targets fuzz-${name})
endfunction()
