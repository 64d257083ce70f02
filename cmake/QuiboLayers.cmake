# The client's layers: one static library per folder of src/, linked in one direction.
#
# A library sees only the headers of its own folder and of the libraries it links (and
# theirs, down the layers). Each library gets a header tree in the build directory that holds
# links to exactly those headers, and that tree, not src/, is its include path; an include
# against the direction finds no file and fails to build.

set(QUIBO_SOURCE_ROOT ${PROJECT_SOURCE_DIR}/src)
set(QUIBO_HEADER_TREES ${CMAKE_BINARY_DIR}/layers)

# quibo_layer(<target> [LINKS <quibo libraries>...] [USES <other libraries>...] [EXCLUDE <files>...])
#
# A static library of the current folder's .cpp, .h and .ui files. LINKS names the quibo
# libraries below it, which must already exist (so the links cannot form a cycle); USES names
# Qt and other outside libraries. The folders named "widgets", and "widgetkit", hold widgets
# libraries; only those may use Qt Widgets or link another widgets library.
function(quibo_layer target)
  cmake_parse_arguments(ARG "" "" "LINKS;USES;EXCLUDE" ${ARGN})
  file(RELATIVE_PATH folder ${QUIBO_SOURCE_ROOT} ${CMAKE_CURRENT_SOURCE_DIR})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h
       ${CMAKE_CURRENT_SOURCE_DIR}/*.ui)
  foreach(excluded IN LISTS ARG_EXCLUDE)
    list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${excluded})
  endforeach()

  set(widgets FALSE)
  if(folder MATCHES "(^|/)widgets$" OR folder STREQUAL "widgetkit")
    set(widgets TRUE)
  endif()
  if(NOT widgets AND "${ARG_USES}" MATCHES "Qt6::Widgets")
    message(FATAL_ERROR "${target}: only a widgets folder may use Qt Widgets")
  endif()

  set(visible ${folder})
  foreach(below IN LISTS ARG_LINKS)
    if(NOT TARGET ${below})
      message(FATAL_ERROR "${target} links ${below}, which is not a layer below it")
    endif()
    get_target_property(below_widgets ${below} QUIBO_WIDGETS)
    if(below_widgets AND NOT widgets)
      message(FATAL_ERROR "${target} links ${below}: behaviour cannot reach a widget")
    endif()
    get_target_property(below_visible ${below} QUIBO_VISIBLE_FOLDERS)
    list(APPEND visible ${below_visible})
  endforeach()
  list(REMOVE_DUPLICATES visible)

  # A header added to the folder reaches moc in an existing build too: the scan reruns when
  # a header it knows changes, so the folder's list of files is one, rewritten when it changes.
  set(listing ${CMAKE_CURRENT_BINARY_DIR}/${target}_files.h)
  string(REPLACE ";" "\n// " listed "${sources}")
  file(CONFIGURE OUTPUT ${listing} CONTENT "// ${listed}\n")

  add_library(${target} STATIC ${sources} ${listing})
  quibo_strict(${target})
  set_target_properties(${target} PROPERTIES QUIBO_VISIBLE_FOLDERS "${visible}" QUIBO_WIDGETS ${widgets})
  _quibo_header_tree(${target} "${visible}" tree)
  target_include_directories(${target} PUBLIC ${tree})
  target_link_libraries(${target} PUBLIC ${ARG_LINKS} ${ARG_USES})
endfunction()

# Makes <build>/layers/<target>/<folder>/<header> links for every header of every folder in
# `folders`, and returns the tree's root in `out`. Rebuilt at every configure; a new header in
# a folder reconfigures through the CONFIGURE_DEPENDS globs.
function(_quibo_header_tree target folders out)
  set(tree ${QUIBO_HEADER_TREES}/${target})
  file(REMOVE_RECURSE ${tree})
  foreach(folder IN LISTS folders)
    file(GLOB headers CONFIGURE_DEPENDS RELATIVE ${QUIBO_SOURCE_ROOT}/${folder} ${QUIBO_SOURCE_ROOT}/${folder}/*.h)
    file(MAKE_DIRECTORY ${tree}/${folder})
    foreach(header IN LISTS headers)
      file(CREATE_LINK ${QUIBO_SOURCE_ROOT}/${folder}/${header} ${tree}/${folder}/${header} SYMBOLIC)
    endforeach()
  endforeach()
  set(${out} ${tree} PARENT_SCOPE)
endfunction()
