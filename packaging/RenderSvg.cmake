# The build tool that renders an SVG to a PNG (render_svg.cpp), for the program icon and the main
# window's picture. A build tool: built without sanitizers whatever the preset, since it runs
# during the build and its leaks are nobody's concern.
qt_add_executable(voranth_render_svg ${CMAKE_CURRENT_LIST_DIR}/render_svg.cpp)
target_link_libraries(voranth_render_svg PRIVATE Qt6::Gui Qt6::Svg voranth_qt_flags)
if(VORANTH_SANITIZE)
  target_compile_options(voranth_render_svg PRIVATE -fno-sanitize=all)
  target_link_options(voranth_render_svg PRIVATE -fno-sanitize=all)
endif()

# voranth_render_svg(INPUT.svg OUTPUT.png SIZE|WIDTHxHEIGHT): the rule that makes OUTPUT.png.
function(voranth_render_svg input output size)
  get_filename_component(directory ${output} DIRECTORY)
  get_filename_component(name ${output} NAME)
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${directory}
    COMMAND voranth_render_svg ${input} ${output} ${size}
    DEPENDS voranth_render_svg ${input}
    COMMENT "Rendering ${name}"
    VERBATIM
  )
endfunction()
