# pilewatch_wayland_protocols(<target> <protocol.xml>...)
#
# A static C library <target> with the client code that wayland-scanner makes
# from each protocol's XML; users include "<name>-client-protocol.h" and link
# it (wayland-client comes along).
find_package(PkgConfig REQUIRED)
pkg_check_modules(WAYLAND_CLIENT REQUIRED IMPORTED_TARGET wayland-client)
find_program(WAYLAND_SCANNER wayland-scanner REQUIRED)

function(pilewatch_wayland_protocols target)
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/${target})
  file(MAKE_DIRECTORY ${dir})
  add_library(${target} STATIC)
  foreach(protocol ${ARGN})
    get_filename_component(name ${protocol} NAME_WE)
    add_custom_command(
      OUTPUT ${dir}/${name}-client-protocol.h ${dir}/${name}-protocol.c
      COMMAND ${WAYLAND_SCANNER} client-header ${protocol} ${dir}/${name}-client-protocol.h
      COMMAND ${WAYLAND_SCANNER} private-code ${protocol} ${dir}/${name}-protocol.c
      DEPENDS ${protocol} VERBATIM)
    target_sources(${target} PRIVATE ${dir}/${name}-client-protocol.h ${dir}/${name}-protocol.c)
  endforeach()
  target_include_directories(${target} SYSTEM INTERFACE ${dir})
  target_link_libraries(${target} PUBLIC PkgConfig::WAYLAND_CLIENT)
endfunction()
