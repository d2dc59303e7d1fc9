# The version as the About box shows it: the major number, a point, then the
# minor, patch and tweak numbers run together (2.6.0.0 shows as "2.600"). The
# version block holds four 16-bit numbers. A version that cannot be shown
# that way stops the build, rather than show two versions alike.
function(velnorid_version_text version out)
  if(NOT version MATCHES "^([0-9]+)\\.([0-9])\\.([0-9])\\.([0-9])$" OR CMAKE_MATCH_1 GREATER 65535)
    message(FATAL_ERROR "The version \"${version}\" cannot be shown. project(Velnorid VERSION ...) takes four "
      "numbers, MAJOR.MINOR.PATCH.TWEAK: MAJOR from 0 to 65535, the other three one digit each (0 to 9), "
      "since the About box runs them together after the point (2.6.0.0 shows as 2.600).")
  endif()
  set(${out} "${CMAKE_MATCH_1}.${CMAKE_MATCH_2}${CMAKE_MATCH_3}${CMAKE_MATCH_4}" PARENT_SCOPE)
endfunction()

# As a script, cmake -DVERSION=x -P version_text.cmake prints the text.
if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  velnorid_version_text("${VERSION}" text)
  message("${text}")
endif()
