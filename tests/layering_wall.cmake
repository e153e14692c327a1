# The layering wall: each library under src/ reaches only the headers of the libraries it links
# (see the top CMakeLists.txt). Two ways round it compile all the same, and are refused here: an
# include by a path of its own ("../platform/files.h", "/usr/include/..."), which finds any
# header of the tree, and a Qt header named with its module (<QtWidgets/QWidget>), which the include
# folder of any Qt module finds. A platform service's private header (files_p.h) is for
# src/platform alone. The systems are told apart there alone, by its files (files_linux.cpp,
# files_win.cpp): a source anywhere else that asks which system it is built for (Q_OS_WIN, _WIN32,
# Q_OS_LINUX, __linux__ and their kin) is refused too. Run with -DROOT=<source tree>.
file(GLOB_RECURSE sources RELATIVE ${ROOT}
     ${ROOT}/src/*.cpp ${ROOT}/src/*.h ${ROOT}/tools/*.cpp ${ROOT}/tools/*.h)
set(through "")
set(system_asked "")
foreach(source IN LISTS sources)
    file(STRINGS ${ROOT}/${source} includes REGEX "^[ \t]*#[ \t]*include")
    foreach(include IN LISTS includes)
        if(include MATCHES "include[ \t]*[<\"]([./]|[^>\"]*\\.\\./|Qt[A-Za-z]+/)")
            string(APPEND through "\n  ${source}: ${include}")
        endif()
    endforeach()
    if(NOT source MATCHES "^src/platform/")
        foreach(include IN LISTS includes)
            if(include MATCHES "_p\\.h[>\"]")
                string(APPEND through "\n  ${source}: ${include}")
            endif()
        endforeach()
        file(STRINGS ${ROOT}/${source} asks
             REGEX "(^|[^A-Za-z0-9_])(Q_OS_[A-Z0-9_]+|Q_CC_MINGW|_WIN32|_WIN64|__MINGW[0-9_]*|__linux|__linux__|__gnu_linux__|__unix|__unix__)([^A-Za-z0-9_]|$)")
        foreach(line IN LISTS asks)
            string(STRIP "${line}" line)
            string(APPEND system_asked "\n  ${source}: ${line}")
        endforeach()
    endif()
endforeach()
if(through)
    message(FATAL_ERROR "Includes through the layering wall:${through}")
endif()
if(system_asked)
    message(FATAL_ERROR "Only src/platform asks which system it is built for (a file per system "
                        "there, chosen by its CMakeLists.txt):${system_asked}")
endif()
