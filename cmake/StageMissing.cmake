# cmake -DDEST=<folder> -DSOURCE=<folder> -P StageMissing.cmake
# Copies each file of SOURCE into DEST unless a file of that name is already
# there. The folder, not a list of its files, is passed: a list would be split
# at its semicolons on the command line.
file(MAKE_DIRECTORY ${DEST})
file(GLOB files ${SOURCE}/*)
foreach(source IN LISTS files)
  get_filename_component(name ${source} NAME)
  if(NOT EXISTS ${DEST}/${name})
    file(COPY ${source} DESTINATION ${DEST})
  endif()
endforeach()
