# Enables AddressSanitizer and UndefinedBehaviorSanitizer for every target when
# PILEWATCH_SANITIZE is on (the "asan" preset).
option(PILEWATCH_SANITIZE "Build with ASan and UBSan" OFF)
if(PILEWATCH_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
