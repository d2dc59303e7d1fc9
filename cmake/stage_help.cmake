# Copies the help's files to the folder chmcmd compiles, with the program's
# version written into the pages where they say @VELNORID_VERSION_TEXT@.
# Run as cmake -DSOURCE=help -DSTAGE=folder -DVELNORID_VERSION_TEXT=2.600 -P stage_help.cmake
file(REMOVE_RECURSE ${STAGE})
file(GLOB files ${SOURCE}/*)
foreach(file ${files})
  get_filename_component(name ${file} NAME)
  if(name MATCHES "\\.html$")
    configure_file(${file} ${STAGE}/${name} @ONLY)
  else()
    configure_file(${file} ${STAGE}/${name} COPYONLY)
  endif()
endforeach()
