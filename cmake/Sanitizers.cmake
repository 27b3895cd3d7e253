# Enables AddressSanitizer and UndefinedBehaviorSanitizer for every target when
# PILEWATCH_SANITIZE is on (the "asan" preset). GCC's "undefined" group leaves
# out float-cast-overflow (a NaN or out-of-range double converted to an
# integer), so it is named on its own. Undefined behaviour stops the program,
# so a test that runs into it fails instead of printing a line nobody reads.
option(PILEWATCH_SANITIZE "Build with ASan and UBSan" OFF)
if(PILEWATCH_SANITIZE)
  set(PILEWATCH_SANITIZERS address,undefined,float-cast-overflow)
  add_compile_options(-fsanitize=${PILEWATCH_SANITIZERS} -fno-sanitize-recover=undefined,float-cast-overflow
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=${PILEWATCH_SANITIZERS})
endif()
