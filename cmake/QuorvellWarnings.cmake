# Warnings for our own targets; third-party code (GoogleTest) is built without them.
function(quorvell_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                                           -Wsign-conversion -Wnon-virtual-dtor -Wold-style-cast)
  if(QUORVELL_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
