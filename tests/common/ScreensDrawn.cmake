# Runs sr5n-screens into FOLDER and checks that it ended well and drew the
# windows that are built only when first used.
file(REMOVE_RECURSE "${FOLDER}")
execute_process(COMMAND "${TOOL}" "${FOLDER}" RESULT_VARIABLE result
                OUTPUT_QUIET ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "sr5n-screens ended with ${result}: ${errors}")
endif()
foreach(picture page1-tsh1Pair page8-tshProtocol about line-trace zones progress catalog-settings edit-conflict compare objects object-chooser)
  if(NOT EXISTS "${FOLDER}/${picture}.png")
    message(FATAL_ERROR "sr5n-screens did not draw ${picture}.png")
  endif()
endforeach()
