# Writes the uninstaller's lines that remove from $INSTDIR exactly what lies in the installed tree
# STAGE: each file by name, then each folder when it is empty, the deepest first. Anything else in
# the installation folder (another program's files, the administrator's) stays, and the folder
# with it. Run as cmake -DSTAGE=<folder> -DOUT=<file> -P file_list.cmake.
file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${STAGE} ${STAGE}/*)
file(GLOB_RECURSE entries LIST_DIRECTORIES true RELATIVE ${STAGE} ${STAGE}/*)
set(folders ${entries})
if(files)
    list(REMOVE_ITEM folders ${files})
endif()
list(SORT files)
# A folder sorts before what lies in it: the reverse order empties the deepest first.
list(SORT folders ORDER DESCENDING)
set(lines "; Made by file_list.cmake from the installed tree.\n")
foreach(file IN LISTS files)
    string(REPLACE "/" "\\" file "${file}")
    string(APPEND lines "Delete \"$INSTDIR\\${file}\"\n")
endforeach()
foreach(folder IN LISTS folders)
    string(REPLACE "/" "\\" folder "${folder}")
    string(APPEND lines "RMDir \"$INSTDIR\\${folder}\"\n")
endforeach()
file(WRITE ${OUT} "${lines}")
