# Build rules that turn compiled shaders into uniform table headers.
#
# quorvane_uniform_table(<out-var> SHADER <file.cso> [OUTPUT <file.h>])
#
#   Adds a rule that writes one header, rebuilt whenever the shader (or the
#   tool) changes, and sets <out-var> to the header's full path; add it to a
#   target's sources so the rule runs before what includes it. OUTPUT
#   defaults to <shader name>_refl.h in the current binary folder; a relative
#   OUTPUT is taken from there too.
#
# quorvane_target_uniform_tables(<target> SHADERS <a.cso> [<b.cso> ...]
#                                [OUTPUT_DIR <dir>])
#
#   One header <shader name>_refl.h per shader in OUTPUT_DIR (default: the
#   current binary folder), each added to <target>'s sources, and the folder
#   added to its include path. Two shaders whose headers would have the same
#   name are refused here, at configure time.
#
# The array in a header is named after the header's file name without its
# extension (simple_ps_refl for simple_ps_refl.h): the tool names it after
# the path it is given, so it runs in the header's folder with the bare file
# name, and the name never holds a folder.
#
# A header is either the complete output of a successful run or absent: the
# rules run QuorvaneBuildStep, the same run as Quorvane's in the same single
# process, which writes <header>.quorvane-tmp beside the header and renames
# it into place only when the run succeeded. A failed or killed run leaves
# no header a later build could take for an up-to-date one, and the rule
# runs again next time.

include_guard(GLOBAL)

# Every header has one rule: two would race to write it.
function(_quorvane_add_rule shader output)
  get_property(taken GLOBAL PROPERTY "_QUORVANE_HEADER ${output}")
  if(taken)
    message(FATAL_ERROR "Quorvane: ${shader} and ${taken} would both write ${output}; give "
      "their headers different names or folders")
  endif()
  set_property(GLOBAL PROPERTY "_QUORVANE_HEADER ${output}" "${shader}")
  get_filename_component(output_dir "${output}" DIRECTORY)
  get_filename_component(output_name "${output}" NAME)
  file(MAKE_DIRECTORY "${output_dir}")
  add_custom_command(
    OUTPUT "${output}"
    COMMAND "$<TARGET_FILE:Quorvane::BuildStep>" "${shader}" "${output_name}"
    WORKING_DIRECTORY "${output_dir}"
    DEPENDS "${shader}" Quorvane::BuildStep
    COMMENT "Writing the uniform table ${output_name}"
    VERBATIM)
endfunction()

function(_quorvane_absolute_shader out_var shader)
  get_filename_component(path "${shader}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
  set(${out_var} "${path}" PARENT_SCOPE)
endfunction()

function(quorvane_uniform_table out_var)
  cmake_parse_arguments(PARSE_ARGV 1 ARG "" "SHADER;OUTPUT" "")
  if(NOT ARG_SHADER)
    message(FATAL_ERROR "quorvane_uniform_table: SHADER <file.cso> is required")
  endif()
  if(ARG_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "quorvane_uniform_table: unknown arguments ${ARG_UNPARSED_ARGUMENTS}")
  endif()
  _quorvane_absolute_shader(shader "${ARG_SHADER}")
  if(ARG_OUTPUT)
    get_filename_component(output "${ARG_OUTPUT}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_BINARY_DIR}")
  else()
    get_filename_component(shader_name "${shader}" NAME_WE)
    set(output "${CMAKE_CURRENT_BINARY_DIR}/${shader_name}_refl.h")
  endif()
  _quorvane_add_rule("${shader}" "${output}")
  set(${out_var} "${output}" PARENT_SCOPE)
endfunction()

function(quorvane_target_uniform_tables target)
  cmake_parse_arguments(PARSE_ARGV 1 ARG "" "OUTPUT_DIR" "SHADERS")
  if(NOT TARGET "${target}")
    message(FATAL_ERROR "quorvane_target_uniform_tables: ${target} is not a target")
  endif()
  if(NOT ARG_SHADERS)
    message(FATAL_ERROR "quorvane_target_uniform_tables: SHADERS <file.cso> ... is required")
  endif()
  if(ARG_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR
      "quorvane_target_uniform_tables: unknown arguments ${ARG_UNPARSED_ARGUMENTS}")
  endif()
  if(ARG_OUTPUT_DIR)
    get_filename_component(output_dir "${ARG_OUTPUT_DIR}" ABSOLUTE
      BASE_DIR "${CMAKE_CURRENT_BINARY_DIR}")
  else()
    set(output_dir "${CMAKE_CURRENT_BINARY_DIR}")
  endif()
  set(headers "")
  foreach(shader_arg IN LISTS ARG_SHADERS)
    _quorvane_absolute_shader(shader "${shader_arg}")
    get_filename_component(shader_name "${shader}" NAME_WE)
    set(output "${output_dir}/${shader_name}_refl.h")
    _quorvane_add_rule("${shader}" "${output}")
    list(APPEND headers "${output}")
  endforeach()
  target_sources(${target} PRIVATE ${headers})
  target_include_directories(${target} PRIVATE "${output_dir}")
endfunction()
