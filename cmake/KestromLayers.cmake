# The layers: one folder each, lowest first. A layer may include headers of its own folder and
# of the layers below it, never of a layer above; the build checks every layer's includes
# before it compiles the layer, so an include that runs upward fails the build.
#
# kestrom_layer(name BELOW lower [FOLDERS dir...] [WINDOWS_LIBRARY])
#   Declares the layer `name` (folder `name`, plus FOLDERS, relative to the source tree) on top
#   of the layer `lower`, and makes
#   - kestrom_<name>_layer_check: the include check of the layer's folders;
#   - kestrom_<name>_core: the pure files (no windows.h, not named *_win.cpp), built natively
#     too; it links the pure library of the layer below;
#   - with WINDOWS_LIBRARY, on Windows, kestrom_<name>: the layer's *_win.cpp files (every
#     .cpp for platform/), linking the layer's pure library and the Windows library below.
#   Layers whose Windows side is a program or a DLL make those targets themselves and call
#   kestrom_layer_target for them.

# Folders of the source tree an include may name; product code never includes the last three.
set(KESTROM_INCLUDE_ROOTS platform common startup categories reports kestrompro monitor explorer check tests tools bench)

function(kestrom_layer name)
  cmake_parse_arguments(L "WINDOWS_LIBRARY" "BELOW" "FOLDERS" ${ARGN})
  set(folders ${name} ${L_FOLDERS})
  if(L_BELOW)
    get_property(allowed GLOBAL PROPERTY KESTROM_LAYER_${L_BELOW}_ALLOWED)
  else()
    set(allowed "")
  endif()
  list(APPEND allowed ${name})
  set_property(GLOBAL PROPERTY KESTROM_LAYER_${name}_ALLOWED ${allowed})

  # --- the include check
  set(files "")
  set(dirs "")
  set(pure "")
  set(windows "")
  foreach(folder ${folders})
    set(dir ${CMAKE_SOURCE_DIR}/${folder})
    list(APPEND dirs ${dir})
    file(GLOB found CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.hpp ${dir}/*.h ${dir}/*.c)
    list(APPEND files ${found})
    file(GLOB cpps CONFIGURE_DEPENDS ${dir}/*.cpp)
    foreach(src ${cpps})
      if(src MATCHES "_win\\.cpp$" OR name STREQUAL "platform")
        list(APPEND windows ${src})
      else()
        list(APPEND pure ${src})
      endif()
    endforeach()
  endforeach()
  list(JOIN allowed "," allowed_arg)
  list(JOIN KESTROM_INCLUDE_ROOTS "," roots_arg)
  list(JOIN dirs "," dirs_arg)
  set(stamp ${CMAKE_BINARY_DIR}/layers/${name}.checked)
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/layers)
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -DLAYER=${name} -DALLOWED=${allowed_arg} -DROOTS=${roots_arg}
            -DFOLDERS=${dirs_arg} -DSTAMP=${stamp} -P ${CMAKE_SOURCE_DIR}/cmake/check_layer.cmake
    DEPENDS ${files} ${CMAKE_SOURCE_DIR}/cmake/check_layer.cmake
    COMMENT "Checking that the ${name} layer includes only from ${allowed_arg}"
    VERBATIM)
  add_custom_target(kestrom_${name}_layer_check DEPENDS ${stamp})
  # A layer's check runs the checks below it first, so header-only layers are checked too.
  if(L_BELOW)
    add_dependencies(kestrom_${name}_layer_check kestrom_${L_BELOW}_layer_check)
  endif()

  # --- the pure library
  if(pure)
    add_library(kestrom_${name}_core STATIC ${pure})
    target_compile_options(kestrom_${name}_core PRIVATE ${KESTROM_WARNINGS})
    add_dependencies(kestrom_${name}_core kestrom_${name}_layer_check)
    set(scope PUBLIC)
  else()
    add_library(kestrom_${name}_core INTERFACE)
    set(scope INTERFACE)
  endif()
  if(L_BELOW)
    target_link_libraries(kestrom_${name}_core ${scope} kestrom_${L_BELOW}_core)
  else()
    target_include_directories(kestrom_${name}_core ${scope} ${CMAKE_SOURCE_DIR})
  endif()

  # --- the Windows library
  if(WIN32 AND L_WINDOWS_LIBRARY)
    if(windows)
      add_library(kestrom_${name} STATIC ${windows})
      target_compile_options(kestrom_${name} PRIVATE ${KESTROM_WARNINGS})
      add_dependencies(kestrom_${name} kestrom_${name}_layer_check)
      set(scope PUBLIC)
    else()
      add_library(kestrom_${name} INTERFACE)
      set(scope INTERFACE)
    endif()
    target_link_libraries(kestrom_${name} ${scope} kestrom_${name}_core)
    if(L_BELOW)
      target_link_libraries(kestrom_${name} ${scope} kestrom_${L_BELOW})
    endif()
  endif()
endfunction()

# A program, DLL or further library that belongs to a layer: built only after the layer's
# include check has passed.
function(kestrom_layer_target target layer)
  add_dependencies(${target} kestrom_${layer}_layer_check)
endfunction()
