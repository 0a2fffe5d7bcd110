# Runs the icon generator into an empty folder and fails unless its files are byte for byte the
# committed ones, with none missing and none extra.
file(REMOVE_RECURSE ${OUTPUT})
file(MAKE_DIRECTORY ${OUTPUT})
execute_process(COMMAND ${GENERATOR} ${OUTPUT} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "icongen failed: ${status}")
endif()

file(GLOB generated RELATIVE ${OUTPUT} ${OUTPUT}/*.ico)
file(GLOB committed RELATIVE ${COMMITTED} ${COMMITTED}/*.ico)
list(SORT generated)
list(SORT committed)
if(NOT generated STREQUAL committed)
  message(FATAL_ERROR "icon files differ: generated '${generated}', committed '${committed}'")
endif()
foreach(name IN LISTS generated)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUTPUT}/${name} ${COMMITTED}/${name}
                  RESULT_VARIABLE different)
  if(different)
    message(FATAL_ERROR "${name} differs from what icongen draws; rebuild the 'icons' target")
  endif()
endforeach()
