# Fails on an #include "..." under ROOT's src/ and sim/ that the layer table does not allow.
# Run as: cmake -DROOT=<repository> -P include_arrows.cmake
#
# Each row names a layer and the layers it uses directly; a layer may also use what those use
# in turn, and every layer may use platform/. The fingerprint is a layer of its own.
set(layer_table
  "platform:"
  "link:"
  "mission: link"
  "datafile: mission"
  "programming: link mission"
  "insight: mission"
  "fingerprint: mission"
  "archive: mission insight fingerprint"
  "report: insight datafile fingerprint"
  "dossier: archive report"
  "cli: link mission datafile programming insight fingerprint archive report dossier"
  "app: link mission datafile programming insight fingerprint archive report dossier"
  "sim: link")

cmake_minimum_required(VERSION 3.25)

if(NOT ROOT)
  message(FATAL_ERROR "Give the repository as -DROOT=<folder>.")
endif()

set(layers "")
foreach(row IN LISTS layer_table)
  string(REGEX MATCH "^([a-z]+):(.*)$" _ "${row}")
  set(layer ${CMAKE_MATCH_1})
  separate_arguments(direct UNIX_COMMAND "${CMAKE_MATCH_2}")
  list(APPEND layers ${layer})
  set(uses_${layer} ${direct})
endforeach()

# The closure: a layer may use what the layers it uses may use.
foreach(layer IN LISTS layers)
  set(allowed ${uses_${layer}})
  set(index 0)
  list(LENGTH allowed count)
  while(index LESS count)
    list(GET allowed ${index} used)
    list(APPEND allowed ${uses_${used}})
    list(REMOVE_DUPLICATES allowed)
    list(LENGTH allowed count)
    math(EXPR index "${index} + 1")
  endwhile()
  list(APPEND allowed ${layer} platform)
  set(allowed_${layer} ${allowed})
endforeach()

# The layer a path under src/ names: its folder, the fingerprint apart.
function(layer_of path out)
  if(path MATCHES "^archive/fingerprint\\.(h|cpp)$")
    set(${out} fingerprint PARENT_SCOPE)
  elseif(path MATCHES "^([a-z]+)/")
    set(${out} ${CMAKE_MATCH_1} PARENT_SCOPE)
  else()
    set(${out} "" PARENT_SCOPE)
  endif()
endfunction()

set(wrong_arrows "")
file(GLOB_RECURSE sources RELATIVE ${ROOT} ${ROOT}/src/*.h ${ROOT}/src/*.cpp ${ROOT}/sim/*.h
     ${ROOT}/sim/*.cpp)
foreach(source IN LISTS sources)
  if(source MATCHES "^sim/")
    set(from sim)
  else()
    string(REGEX REPLACE "^src/" "" inside_src "${source}")
    layer_of("${inside_src}" from)
  endif()
  file(STRINGS ${ROOT}/${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^[^\"]*\"([^\"]*)\".*$" "\\1" included "${line}")
    layer_of("${included}" to)
    if(NOT to IN_LIST layers)
      list(APPEND wrong_arrows "${source}: \"${included}\" names no layer")
    elseif(NOT to IN_LIST allowed_${from})
      list(APPEND wrong_arrows "${source}: ${from}/ may not use ${to}/ (\"${included}\")")
    endif()
  endforeach()
endforeach()

if(wrong_arrows)
  list(JOIN wrong_arrows "\n  " report)
  message(FATAL_ERROR "Includes against the layer table:\n  ${report}")
endif()
list(LENGTH sources checked)
message(STATUS "${checked} files, every include along the layer table.")
