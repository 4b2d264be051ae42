# velto_warnings(target): the warning set every target of ours compiles with.
function(velto_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
    -Wnon-virtual-dtor -Wold-style-cast -Woverloaded-virtual -Wimplicit-fallthrough
    # Records are built with designated initialisers that leave optional members at their defaults.
    -Wno-missing-field-initializers)
  # GCC 12 reports false -Wrestrict and -Wmaybe-uninitialized positives inside libstdc++'s string code at -O3
  # (fixed in GCC 13); the debug and sanitizer builds keep both warnings.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(${target} PRIVATE $<$<NOT:$<CONFIG:Debug>>:-Wno-restrict -Wno-maybe-uninitialized>)
  endif()
  if(VELTO_WARNINGS_AS_ERRORS)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
