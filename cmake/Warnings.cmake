# velto_warnings(target): the warning set every target of ours compiles with.
function(velto_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
    -Wnon-virtual-dtor -Wold-style-cast -Woverloaded-virtual -Wimplicit-fallthrough
    # Records are built with designated initialisers that leave optional members at their defaults.
    -Wno-missing-field-initializers)
  if(VELTO_WARNINGS_AS_ERRORS)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
