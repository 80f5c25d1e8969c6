# Runs Quorvane for quorvane_uniform_table() in the header's folder and
# deletes the header when the tool fails. Called with -DQUORVANE=<tool>
# -DSHADER=<file.cso> -DOUTPUT_NAME=<file.h>.
execute_process(
  COMMAND "${QUORVANE}" "${SHADER}" "${OUTPUT_NAME}"
  RESULT_VARIABLE status
  OUTPUT_VARIABLE messages)
if(NOT status EQUAL 0)
  file(REMOVE "${OUTPUT_NAME}")
  message(FATAL_ERROR "Quorvane failed on ${SHADER} (status ${status}):\n${messages}")
endif()
