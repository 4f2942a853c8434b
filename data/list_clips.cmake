# Writes the names of the character clips, as quillon-cli lists them, into
# OUTPUT (one per line) for the install step.
#   cmake -DCLI=path/to/quillon-cli -DOUTPUT=file -P list_clips.cmake
execute_process(COMMAND ${CLI} alphabet --list-clips OUTPUT_FILE ${OUTPUT} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "quillon-cli alphabet --list-clips failed: ${status}")
endif()
