# Checks the layering of the source tree: every #include "dir/file" of a layer's directory must
# name its own directory or a layer below it that it may use, and the layers without Qt include
# no Qt header. Run as: cmake -DSOURCE_DIR=<source root> -P check_layers.cmake
#
#   platform    nothing of ours
#   calc        platform
#   touchstone  nothing of ours
#   sweep       calc, touchstone, platform
#   draw        calc, platform, sweep
#   cli         everything but ui and app (and no Qt)
#   ui          everything but app and cli
#   app         ui and everything below it
# Directories that are no layer (tests, bench, fuzz, packaging) may include anything.

cmake_minimum_required(VERSION 3.25)

set(uses_platform "")
set(uses_calc platform)
set(uses_touchstone "")
set(uses_sweep calc touchstone platform)
set(uses_draw calc platform sweep)
set(uses_cli platform calc touchstone sweep draw)
set(uses_ui platform calc touchstone sweep draw)
set(uses_app platform calc touchstone sweep draw ui)
set(layers platform calc touchstone sweep draw cli ui app)
# The layers that are plain C++ and must include no Qt header.
set(without_qt platform calc touchstone sweep draw cli)

if(NOT SOURCE_DIR)
  message(FATAL_ERROR "SOURCE_DIR is not set")
endif()

set(faults "")
set(checked 0)
foreach(layer IN LISTS layers)
  file(GLOB_RECURSE sources LIST_DIRECTORIES false RELATIVE "${SOURCE_DIR}"
       "${SOURCE_DIR}/${layer}/*.h" "${SOURCE_DIR}/${layer}/*.cpp" "${SOURCE_DIR}/${layer}/*.inc")
  foreach(source IN LISTS sources)
    math(EXPR checked "${checked} + 1")
    file(STRINGS "${SOURCE_DIR}/${source}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]")
    foreach(line IN LISTS lines)
      if(line MATCHES "#[ \t]*include[ \t]*\"([^/\"]+)/[^\"]*\"")
        set(target "${CMAKE_MATCH_1}")
        if(NOT target STREQUAL layer AND target IN_LIST layers
           AND NOT target IN_LIST uses_${layer})
          list(APPEND faults "${source}: ${layer}/ may not include ${target}/: ${line}")
        endif()
      elseif(line MATCHES "#[ \t]*include[ \t]*<Q" AND layer IN_LIST without_qt)
        list(APPEND faults "${source}: ${layer}/ is plain C++ but includes Qt: ${line}")
      endif()
    endforeach()
  endforeach()
endforeach()

if(checked EQUAL 0)
  message(FATAL_ERROR "no source file found under ${SOURCE_DIR}")
endif()
if(faults)
  list(JOIN faults "\n  " text)
  message(FATAL_ERROR "includes across the layering:\n  ${text}")
endif()
message(STATUS "${checked} files keep to the layering")
