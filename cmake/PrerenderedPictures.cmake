# The pictures the splash window shows before its first paint, rendered from
# their SVG drawings at build time: start-up loads these images instead of
# drawing the pictures (Pictures::pixmap takes one when it covers what it is
# asked for). Included where vellumor_core is defined.

add_executable(vellumor_prerender_pictures ${PROJECT_SOURCE_DIR}/tools/prerender_pictures.cpp)
vellumor_warnings(vellumor_prerender_pictures)
target_link_libraries(vellumor_prerender_pictures PRIVATE Qt6::Gui Qt6::Svg)

set(_prerendered_dir ${CMAKE_CURRENT_BINARY_DIR}/prerendered)
# name, drawn width and height, the size kept (of the splash background, the
# part its client area shows).
set(_prerendered_pictures
  "splash 768 512 447 331"
  "emblem 78 102 78 102"
  "icon 32 32 32 32"
  "icon-16 16 16 16 16")
set(_prerendered_files)
set(_prerendered_qrc "<!DOCTYPE RCC><RCC version=\"1.0\">\n<qresource prefix=\"/prerendered\">\n")
foreach(_spec IN LISTS _prerendered_pictures)
  separate_arguments(_args UNIX_COMMAND "${_spec}")
  list(GET _args 0 _name)
  list(GET _args 1 _width)
  list(GET _args 2 _height)
  list(GET _args 3 _shown_width)
  list(GET _args 4 _shown_height)
  set(_file ${_name}-${_width}x${_height}.pixels)
  set(_svg ${PROJECT_SOURCE_DIR}/resources/pictures/${_name}.svg)
  add_custom_command(OUTPUT ${_prerendered_dir}/${_file}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_prerendered_dir}
    COMMAND vellumor_prerender_pictures ${_svg} ${_prerendered_dir}/${_file}
            ${_width} ${_height} ${_shown_width} ${_shown_height}
    DEPENDS vellumor_prerender_pictures ${_svg}
    COMMENT "Rendering ${_name}.svg"
    VERBATIM)
  list(APPEND _prerendered_files ${_prerendered_dir}/${_file})
  string(APPEND _prerendered_qrc "  <file>${_file}</file>\n")
endforeach()
string(APPEND _prerendered_qrc "</qresource>\n</RCC>\n")
file(CONFIGURE OUTPUT ${_prerendered_dir}/prerendered.qrc CONTENT "${_prerendered_qrc}")

# Stored uncompressed: the pixels are copied straight from the program's memory.
add_custom_command(OUTPUT ${_prerendered_dir}/qrc_prerendered.cpp
  COMMAND Qt6::rcc --name prerendered --no-compress
          --output ${_prerendered_dir}/qrc_prerendered.cpp ${_prerendered_dir}/prerendered.qrc
  DEPENDS ${_prerendered_dir}/prerendered.qrc ${_prerendered_files}
  VERBATIM)
set_source_files_properties(${_prerendered_dir}/qrc_prerendered.cpp PROPERTIES SKIP_AUTOGEN ON)
target_sources(vellumor_core PRIVATE ${_prerendered_dir}/qrc_prerendered.cpp)
