# Fails unless LIBRARY's dynamic symbol table defines exactly the five
# encoder entry points: anything more would leak the plug-in's insides (and
# its copy of LAME) into the program that loads it.
execute_process(COMMAND nm -D --defined-only --format=just-symbols ${LIBRARY}
                OUTPUT_VARIABLE symbols RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "nm failed on ${LIBRARY}")
endif()
string(REGEX REPLACE "\n$" "" symbols "${symbols}")
string(REPLACE "\n" ";" symbols "${symbols}")
list(SORT symbols)
set(expected beCloseStream beDeinitStream beEncodeChunk beInitStream beVersion)
if(NOT symbols STREQUAL expected)
  message(FATAL_ERROR "${LIBRARY} exports: ${symbols}\nexpected: ${expected}")
endif()
