# CheckLinkedLibraries: fails when PROGRAM loads a library of the picture stack, which only the picture
# program may load (cmake -DPROGRAM=... -P CheckLinkedLibraries.cmake).
execute_process(COMMAND ldd ${PROGRAM} OUTPUT_VARIABLE libraries RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "ldd ${PROGRAM} failed: ${status}")
endif()
string(REGEX MATCHALL "lib(cairo|pango|glib|gobject|gio|harfbuzz|fontconfig|freetype|pixman|X11|xcb)[^ ]*"
       found "${libraries}")
if(found)
  message(FATAL_ERROR "${PROGRAM} loads the picture stack: ${found}")
endif()
