# The one definition of the version turns into the About box's text, or stops
# the build with a message where that text could not tell versions apart.
set(script ${CMAKE_CURRENT_LIST_DIR}/../cmake/version_text.cmake)
function(version_text version)
  execute_process(COMMAND ${CMAKE_COMMAND} -DVERSION=${version} -P ${script}
    RESULT_VARIABLE failed ERROR_VARIABLE text)
  string(STRIP "${text}" text)
  set(failed ${failed} PARENT_SCOPE)
  set(text "${text}" PARENT_SCOPE)
endfunction()

foreach(version 2.6.0.0 65535.9.9.9)
  version_text(${version})
  string(REGEX REPLACE "^([0-9]+)\\.([0-9])\\.([0-9])\\.([0-9])$" "\\1.\\2\\3\\4" expected ${version})
  if(failed OR NOT text STREQUAL expected)
    message(FATAL_ERROR "${version} gave \"${text}\", not ${expected}")
  endif()
endforeach()
foreach(version 2.6.10.0 2.61.0.0 2.6.1 65536.0.0.0)
  version_text(${version})
  if(NOT failed OR NOT text MATCHES "cannot be shown")
    message(FATAL_ERROR "${version} was not refused with the message: ${text}")
  endif()
endforeach()
