# Fails when a source file includes a file of a higher layer.
# Usage: cmake -DSOURCE_DIR=<src folder> -P CheckLayers.cmake
#
# The widget-free core, lowest first: a folder may include its own files and
# those of the folders before it. `components` (widgets that know no
# configuration) may use only `common`; `ui` may use everything; `cli` (the
# command line) every core folder and itself, never a widget.
cmake_minimum_required(VERSION 3.25)

set(core_layers common link events config protocols services report catalog app)

if(NOT SOURCE_DIR)
  message(FATAL_ERROR "SOURCE_DIR is not set")
endif()

function(allowed_folders folder out)
  if(folder STREQUAL "ui")
    set(${out} ${core_layers} components ui PARENT_SCOPE)
  elseif(folder STREQUAL "cli")
    set(${out} ${core_layers} cli PARENT_SCOPE)
  elseif(folder STREQUAL "components")
    set(${out} common components PARENT_SCOPE)
  else()
    list(FIND core_layers "${folder}" rank)
    if(rank LESS 0)
      message(FATAL_ERROR "Folder src/${folder} belongs to no layer: add it to CheckLayers.cmake")
    endif()
    list(SUBLIST core_layers 0 ${rank} lower)
    set(${out} ${lower} ${folder} PARENT_SCOPE)
  endif()
endfunction()

file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*.h" "${SOURCE_DIR}/*.cpp")
set(violations "")
foreach(source IN LISTS sources)
  string(REGEX MATCH "^[^/]+" folder "${source}")
  if(folder STREQUAL source)
    continue() # a file at the top of src/
  endif()
  allowed_folders("${folder}" allowed)
  file(STRINGS "${SOURCE_DIR}/${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*$" "\\1" included "${line}")
    if(NOT included MATCHES "/")
      continue() # a file of the same folder, named without its folder
    endif()
    string(REGEX MATCH "^[^/]+" target "${included}")
    if(NOT EXISTS "${SOURCE_DIR}/${target}")
      continue() # not one of ours
    endif()
    if(NOT target IN_LIST allowed)
      string(APPEND violations "  src/${source} includes ${included}\n")
    endif()
  endforeach()
endforeach()

if(violations)
  message(FATAL_ERROR "Includes that run from a lower layer to a higher one:\n${violations}")
endif()
message(STATUS "Layers: ${core_layers}, then components and ui, and cli; no include runs upward")
