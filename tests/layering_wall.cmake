# The layering wall: each library under src/ reaches only the headers of the libraries it links
# (see the top CMakeLists.txt). Two ways round it compile all the same, and are refused here: an
# include by a path of its own ("../platform/files.h", "/usr/include/..."), which finds any
# header of the tree, and a Qt header named with its module (<QtWidgets/QWidget>), which the include
# folder of any Qt module finds. Run with -DROOT=<source tree>.
file(GLOB_RECURSE sources RELATIVE ${ROOT}
     ${ROOT}/src/*.cpp ${ROOT}/src/*.h ${ROOT}/tools/*.cpp ${ROOT}/tools/*.h)
set(through "")
foreach(source IN LISTS sources)
    file(STRINGS ${ROOT}/${source} includes REGEX "^[ \t]*#[ \t]*include")
    foreach(include IN LISTS includes)
        if(include MATCHES "include[ \t]*[<\"]([./]|[^>\"]*\\.\\./|Qt[A-Za-z]+/)")
            string(APPEND through "\n  ${source}: ${include}")
        endif()
    endforeach()
endforeach()
if(through)
    message(FATAL_ERROR "Includes through the layering wall:${through}")
endif()
