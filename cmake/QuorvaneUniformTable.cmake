# quorvane_uniform_table(<out-var> SHADER <file.cso> [OUTPUT <file.h>])
#
# Adds a build rule that turns a compiled shader into its uniform table
# header, rebuilt whenever the shader (or the tool) changes, and sets
# <out-var> to the header's full path; add it to a target's sources so the
# rule runs before what includes it.
#
# OUTPUT defaults to <shader name>_refl.h in the current binary folder; a
# relative OUTPUT is taken from there too. The array in the header is named
# after the header's file name without its extension (simple_ps_refl for
# simple_ps_refl.h): the tool runs in the header's folder with the bare file
# name, so the name is a plain identifier and never holds a folder.
#
# When the tool fails (a variable that is neither float nor bool, a file
# that is not a shader) the build fails and the header is deleted, so a
# later build cannot take a partial header for an up-to-date one.
function(quorvane_uniform_table out_var)
  cmake_parse_arguments(PARSE_ARGV 1 ARG "" "SHADER;OUTPUT" "")
  if(NOT ARG_SHADER)
    message(FATAL_ERROR "quorvane_uniform_table: SHADER <file.cso> is required")
  endif()
  if(ARG_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "quorvane_uniform_table: unknown arguments ${ARG_UNPARSED_ARGUMENTS}")
  endif()
  get_filename_component(shader "${ARG_SHADER}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
  if(ARG_OUTPUT)
    get_filename_component(output "${ARG_OUTPUT}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_BINARY_DIR}")
  else()
    get_filename_component(shader_name "${shader}" NAME_WE)
    set(output "${CMAKE_CURRENT_BINARY_DIR}/${shader_name}_refl.h")
  endif()
  get_filename_component(output_dir "${output}" DIRECTORY)
  get_filename_component(output_name "${output}" NAME)
  file(MAKE_DIRECTORY "${output_dir}")

  add_custom_command(
    OUTPUT "${output}"
    COMMAND "${CMAKE_COMMAND}"
      "-DQUORVANE=$<TARGET_FILE:Quorvane::Quorvane>"
      "-DSHADER=${shader}"
      "-DOUTPUT_NAME=${output_name}"
      -P "${_QUORVANE_RUN_SCRIPT}"
    WORKING_DIRECTORY "${output_dir}"
    DEPENDS "${shader}" Quorvane::Quorvane "${_QUORVANE_RUN_SCRIPT}"
    COMMENT "Writing the uniform table ${output_name}"
    VERBATIM)
  set(${out_var} "${output}" PARENT_SCOPE)
endfunction()

set(_QUORVANE_RUN_SCRIPT "${CMAKE_CURRENT_LIST_DIR}/QuorvaneRun.cmake")
