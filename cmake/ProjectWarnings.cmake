# Warnings for the project's own code. Third-party headers (Qt, GoogleTest) come
# in as system includes, so they never trip -Werror.
option(PILEWATCH_WERROR "Treat warnings as errors" ON)

function(pilewatch_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow
                                           -Wnon-virtual-dtor -Wold-style-cast)
  if(PILEWATCH_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
