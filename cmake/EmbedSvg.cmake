# Turns every res/icons/<id>-<name>.svg into a string constant of one
# generated header, so the program carries its icons inside the binary.
# Run as: cmake -DICON_DIR=<dir> -DOUTPUT=<header> -P EmbedSvg.cmake
file(GLOB svgs RELATIVE "${ICON_DIR}" "${ICON_DIR}/*.svg")
list(SORT svgs)
set(entries "")
foreach(name IN LISTS svgs)
  if(NOT name MATCHES "^([0-9]+)-")
    message(FATAL_ERROR "icon file name must start with its id: ${name}")
  endif()
  set(id "${CMAKE_MATCH_1}")
  file(READ "${ICON_DIR}/${name}" svg)
  string(FIND "${svg}" ")svg\"" clash)
  if(NOT clash EQUAL -1)
    message(FATAL_ERROR "${name} contains the raw-string delimiter")
  endif()
  string(APPEND entries "    {${id}, R\"svg(${svg})svg\"},\n")
endforeach()
file(WRITE "${OUTPUT}" "// Generated from res/icons by cmake/EmbedSvg.cmake; do not edit.
#pragma once

#include <string_view>

namespace embedded_icons {

struct Icon {
    int id;
    std::string_view svg;
};

inline constexpr Icon kIcons[] = {
${entries}};

}  // namespace embedded_icons
")
