# cmake -DDEST=<folder> -DFILES=<file;...> -P StageMissing.cmake
# Copies each file into DEST unless a file of that name is already there.
file(MAKE_DIRECTORY ${DEST})
foreach(source IN LISTS FILES)
  get_filename_component(name ${source} NAME)
  if(NOT EXISTS ${DEST}/${name})
    file(COPY ${source} DESTINATION ${DEST})
  endif()
endforeach()
