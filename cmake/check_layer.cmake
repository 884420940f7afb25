# Fails when a file of a layer includes a header of a layer above it (or of the tests, tools or
# benchmarks). Run at build time by the layer's check target (cmake/KestromLayers.cmake):
#   cmake -DLAYER=name -DALLOWED=a,b -DROOTS=a,b,c -DFOLDERS=dir,dir -DSTAMP=file -P check_layer.cmake
# ALLOWED: the folders the layer may include from; ROOTS: every folder of the source tree an
# include may name; FOLDERS: the layer's own folders (not their subfolders).
cmake_minimum_required(VERSION 3.25)
foreach(var LAYER ALLOWED ROOTS FOLDERS STAMP)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "check_layer.cmake: ${var} is not set")
  endif()
endforeach()
string(REPLACE "," ";" allowed "${ALLOWED}")
string(REPLACE "," ";" roots "${ROOTS}")
string(REPLACE "," ";" folders "${FOLDERS}")

set(violations "")
foreach(folder IN LISTS folders)
  file(GLOB sources "${folder}/*.cpp" "${folder}/*.hpp" "${folder}/*.h" "${folder}/*.c")
  foreach(source IN LISTS sources)
    file(STRINGS "${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<][A-Za-z0-9_]+/")
    foreach(line IN LISTS includes)
      string(REGEX MATCH "[\"<](([A-Za-z0-9_]+)/[^\">]*)" found "${line}")
      set(header "${CMAKE_MATCH_1}")
      set(root "${CMAKE_MATCH_2}")
      if(root IN_LIST roots AND NOT root IN_LIST allowed)
        list(APPEND violations "  ${source} includes ${header}")
      endif()
    endforeach()
  endforeach()
endforeach()

if(violations)
  list(JOIN violations "\n" listing)
  string(REPLACE ";" ", " allowed_text "${allowed}")
  message(FATAL_ERROR
    "The ${LAYER} layer may include only from ${allowed_text} (HACKING.md, \"Layers\"):\n${listing}")
endif()
file(TOUCH "${STAMP}")
