# Fails when docs/api.md differs from what the plug-in registers.
execute_process(COMMAND ${TOOL} --markdown ${PLUGIN} OUTPUT_VARIABLE listing RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "torvxml-inspect failed (${rc})")
endif()
file(READ ${REFERENCE} reference)
if(NOT listing STREQUAL reference)
  message(FATAL_ERROR "docs/api.md is out of date: run 'make docs'")
endif()
