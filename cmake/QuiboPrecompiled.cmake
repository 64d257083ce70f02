# Precompiled headers: Qt, QCoro, GoogleTest and the standard library are parsed once per kind
# of target, not once per source file. Only outside headers go in: a project header here would
# reach every layer and undo the header trees of cmake/QuiboLayers.cmake.
#
# GCC uses a precompiled header only when the flags that shape it match (-fPIC against -fPIE,
# the Qt casting macros, GoogleTest's GTEST_HAS_PTHREAD), so there is one host target per kind,
# built with the flags of its users, and every project target reuses its kind's header
# (REUSE_FROM).
# -Winvalid-pch, which CMake adds, turns a mismatch into a warning, so -Werror builds refuse it.
#
#   core            behaviour libraries, the servers' libraries, the test kits
#   widgets         widgets libraries
#   tests           test and benchmark programs without widgets
#   widget_tests    test programs with widgets
# Programs that link no GoogleTest (the three mains and two crash helpers) are one file each
# and have none.

option(QUIBO_PRECOMPILE "Precompile Qt, QCoro, GoogleTest and std headers (GCC)" ON)
if(QUIBO_BUILD_FUZZ OR NOT CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  # clang refuses a precompiled header whose macros differ from the command line.
  set(QUIBO_PRECOMPILE OFF)
endif()

# ccache caches a compile that uses a precompiled header only with this sloppiness (its manual,
# "Precompiled headers"); set here so every build through ccache hits, not only scripts/test.sh.
if(QUIBO_PRECOMPILE AND CMAKE_CXX_COMPILER_LAUNCHER MATCHES "ccache")
  set(CMAKE_CXX_COMPILER_LAUNCHER
      env CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
      ${CMAKE_CXX_COMPILER_LAUNCHER})
endif()

set(_quibo_pch_std <algorithm> <array> <chrono> <functional> <map> <memory> <optional> <utility>
                   <variant> <vector>)
set(_quibo_pch_core ${_quibo_pch_std} <QByteArray> <QCoreApplication> <QDir> <QFile> <QFileInfo>
                    <QHostAddress> <QList> <QObject> <QPointer> <QString> <QStringList> <QTcpServer>
                    <QTcpSocket> <QTimer> <QUrl> <QCoro/QCoroTask>)
set(_quibo_pch_widgets <QApplication> <QDialog> <QLabel> <QLineEdit> <QPushButton> <QWidget>)
# Not QtTest: its headers test QT_TESTCASE_BUILDDIR, which every test folder defines its own way.
set(_quibo_pch_tests <gtest/gtest.h> <QTemporaryDir>)

# _quibo_pch_host(kind EXECUTABLE|STATIC LINKS... SEES... HEADERS...)
# GCC refuses a precompiled header made with a macro its user lacks, so the host links only the
# Qt modules every user of its kind links (LINKS, which bring their QT_*_LIB macros) and takes
# just the include paths of the rest (SEES).
function(_quibo_pch_host kind type)
  cmake_parse_arguments(ARG "" "" "LINKS;SEES;HEADERS" ${ARGN})
  set(host quibo_pch_${kind})
  set(source ${CMAKE_BINARY_DIR}/precompiled/${kind}.cpp)
  if(type STREQUAL "EXECUTABLE")
    file(CONFIGURE OUTPUT ${source} CONTENT "int main() { return 0; }\n")
    add_executable(${host} ${source})
    set_target_properties(${host} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/precompiled)
  else()
    file(CONFIGURE OUTPUT ${source} CONTENT "// The ${kind} precompiled header's host.\n")
    add_library(${host} STATIC ${source})
  endif()
  set_target_properties(${host} PROPERTIES AUTOMOC OFF AUTOUIC OFF AUTORCC OFF)
  _quibo_strict_flags(${host})
  target_link_libraries(${host} PRIVATE ${ARG_LINKS})
  foreach(seen IN LISTS ARG_SEES)
    target_include_directories(${host} SYSTEM PRIVATE $<TARGET_PROPERTY:${seen},INTERFACE_INCLUDE_DIRECTORIES>)
  endforeach()
  target_precompile_headers(${host} PRIVATE ${ARG_HEADERS})
endfunction()

if(QUIBO_PRECOMPILE)
  set(_quibo_core_sees Qt6::Network QCoro6::Core QCoro6::Network)
  _quibo_pch_host(core STATIC LINKS Qt6::Core SEES ${_quibo_core_sees} HEADERS ${_quibo_pch_core})
  _quibo_pch_host(widgets STATIC LINKS Qt6::Core Qt6::Widgets SEES ${_quibo_core_sees}
                  HEADERS ${_quibo_pch_core} ${_quibo_pch_widgets})
  if(QUIBO_BUILD_TESTS OR QUIBO_BUILD_BENCH)
    find_package(GTest REQUIRED)
    _quibo_pch_host(tests EXECUTABLE LINKS Qt6::Core GTest::gtest SEES ${_quibo_core_sees}
                    HEADERS ${_quibo_pch_core} ${_quibo_pch_tests})
    _quibo_pch_host(widget_tests EXECUTABLE LINKS Qt6::Core Qt6::Widgets GTest::gtest SEES ${_quibo_core_sees}
                    HEADERS ${_quibo_pch_core} ${_quibo_pch_widgets} ${_quibo_pch_tests})
  endif()
endif()

# Collects `target`'s link closure (project targets followed, outside ones listed) in `out`.
function(_quibo_link_closure target out)
  set(seen)
  set(pending ${target})
  while(pending)
    list(POP_FRONT pending current)
    if(current IN_LIST seen OR NOT TARGET ${current})
      continue()
    endif()
    list(APPEND seen ${current})
    get_target_property(imported ${current} IMPORTED)
    if(imported)
      continue()
    endif()
    get_target_property(links ${current} LINK_LIBRARIES)
    if(current STREQUAL target AND links)
      list(APPEND pending ${links})
    else()
      get_target_property(interface ${current} INTERFACE_LINK_LIBRARIES)
      if(interface)
        list(APPEND pending ${interface})
      endif()
    endif()
  endwhile()
  set(${out} ${seen} PARENT_SCOPE)
endfunction()

# quibo_precompile_all(): gives every target that quibo_strict() saw its kind's precompiled
# header. Called once at the end, when every target's links are known.
function(quibo_precompile_all)
  if(NOT QUIBO_PRECOMPILE)
    return()
  endif()
  get_property(targets GLOBAL PROPERTY QUIBO_STRICT_TARGETS)
  foreach(target IN LISTS targets)
    _quibo_link_closure(${target} closure)
    set(widgets FALSE)
    if(Qt6::Widgets IN_LIST closure)
      set(widgets TRUE)
    endif()
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "EXECUTABLE")
      if(NOT GTest::gtest IN_LIST closure AND NOT GTest::GTest IN_LIST closure)
        continue()
      endif()
      set(kind tests)
      if(widgets)
        set(kind widget_tests)
      endif()
    else()
      set(kind core)
      if(widgets)
        set(kind widgets)
      endif()
    endif()
    target_precompile_headers(${target} REUSE_FROM quibo_pch_${kind})
  endforeach()
endfunction()
