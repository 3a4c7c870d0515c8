# Fails unless LIBRARY exports exactly the five encoder entry points: anything
# more would leak the plug-in's insides (and its copy of LAME) into the
# program that loads it. A shared object's dynamic symbols are read with nm,
# a DLL's export table with OBJDUMP.
if(OBJDUMP)
  execute_process(COMMAND ${OBJDUMP} -p ${LIBRARY} OUTPUT_VARIABLE table RESULT_VARIABLE result)
  string(REGEX MATCH "Ordinal/Name Pointer[^\n]*\n(\t[^\n]+\n)*" table "${table}")
  string(REGEX MATCHALL "\t[[][ 0-9]+. [A-Za-z_][A-Za-z0-9_@]*" symbols "${table}")
  list(TRANSFORM symbols REPLACE "^.* " "")
else()
  execute_process(COMMAND nm -D --defined-only --format=just-symbols ${LIBRARY}
                  OUTPUT_VARIABLE symbols RESULT_VARIABLE result)
  string(REGEX REPLACE "\n$" "" symbols "${symbols}")
  string(REPLACE "\n" ";" symbols "${symbols}")
endif()
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the export table of ${LIBRARY} could not be read")
endif()
list(SORT symbols)
set(expected beCloseStream beDeinitStream beEncodeChunk beInitStream beVersion)
if(NOT symbols STREQUAL expected)
  message(FATAL_ERROR "${LIBRARY} exports: ${symbols}\nexpected: ${expected}")
endif()
