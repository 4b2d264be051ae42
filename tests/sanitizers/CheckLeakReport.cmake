# CheckLeakReport: runs LEAK_CHECK (LeakCheck built with the address sanitizer) and requires LeakSanitizer to
# report its deliberate leaks, a Cairo surface and a GObject (GLib's g_malloc under G_SLICE=always-malloc), while
# the suppressions keep the font caches out.
execute_process(COMMAND ${LEAK_CHECK} OUTPUT_VARIABLE out ERROR_VARIABLE report)
foreach(expected "detected memory leaks" "libcairo.so" "in g_malloc" "libfontconfig.so")
  string(FIND "${report}" "${expected}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the leak report does not mention ${expected}:\n${report}")
  endif()
endforeach()
# Every reported allocation must be one of ours; a font cache in the report means the suppressions failed.
string(REGEX MATCHALL "#1 [^\n]*" first_frames "${report}")
foreach(frame IN LISTS first_frames)
  if(frame MATCHES "libfontconfig")
    message(FATAL_ERROR "a font cache was reported: ${frame}\n${report}")
  endif()
endforeach()
