# Layers the compiler enforces. A library's users see its public headers only:
# each library gets an include root of its own in the build tree, filled at
# configure time with symbolic links to those headers, under the paths users
# spell ("Platform/Palette.h", "engine/LoadEngine.h"). Links keep edits live
# and compiler messages pointing at a readable path; a header of a layer the
# user does not link is simply not there, so including it fails to compile.
# Outside the build, the same spellings resolve against the repository root.

# The headers among a target's sources, as absolute paths.
function(_pilewatch_headers_of target out)
  get_target_property(sources ${target} SOURCES)
  get_target_property(source_dir ${target} SOURCE_DIR)
  set(headers)
  foreach(source IN LISTS sources)
    if(source MATCHES "\\.h$")
      get_filename_component(source ${source} ABSOLUTE BASE_DIR ${source_dir})
      list(APPEND headers ${source})
    endif()
  endforeach()
  set(${out} ${headers} PARENT_SCOPE)
endfunction()

# Replaces root with links to headers, each at <prefix>/<its path below base>.
function(_pilewatch_link_headers root base prefix)
  file(REMOVE_RECURSE ${root})
  foreach(header IN LISTS ARGN)
    file(RELATIVE_PATH relative ${base} ${header})
    set(link ${root}/${prefix}/${relative})
    get_filename_component(link_dir ${link} DIRECTORY)
    file(MAKE_DIRECTORY ${link_dir})
    file(CREATE_LINK ${header} ${link} SYMBOLIC)
  endforeach()
endfunction()

# pilewatch_export_headers(<target> BASE <dir> [PREFIX <name>] [WITH <targets>...]
#                          [HEADERS <files>...] [INTERNAL <files>...])
#
# Gives <target> the include root ${CMAKE_BINARY_DIR}/include/<target> as its
# public include path, holding its public headers at <name>/<path below BASE>.
# The public headers are HEADERS, or else every header among the target's
# sources except the INTERNAL ones (so a header added to the target is public
# unless named internal). WITH adds the headers of targets in the same folder
# that these headers include by bare name.
#
# With INTERNAL, <target>_internal is an interface target for the library's own
# tests and tools: linking it reaches every header of the library, under the
# same spellings and by bare name from the calling folder.
function(pilewatch_export_headers target)
  cmake_parse_arguments(ARG "" "BASE;PREFIX" "WITH;HEADERS;INTERNAL" ${ARGN})
  list(TRANSFORM ARG_HEADERS PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/)
  list(TRANSFORM ARG_INTERNAL PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/)
  set(all ${ARG_HEADERS})
  if(NOT ARG_HEADERS)
    _pilewatch_headers_of(${target} all)
  endif()
  foreach(sibling IN LISTS ARG_WITH)
    _pilewatch_headers_of(${sibling} sibling_headers)
    list(APPEND all ${sibling_headers})
  endforeach()
  set(public ${all})
  if(ARG_INTERNAL)
    list(REMOVE_ITEM public ${ARG_INTERNAL})
  endif()

  set(root ${CMAKE_BINARY_DIR}/include/${target})
  _pilewatch_link_headers(${root} ${ARG_BASE} "${ARG_PREFIX}" ${public})
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE $<BUILD_INTERFACE:${root}>)
  else()
    target_include_directories(${target} PUBLIC $<BUILD_INTERFACE:${root}>)
  endif()

  if(ARG_INTERNAL)
    set(internal_root ${CMAKE_BINARY_DIR}/include/${target}_internal)
    _pilewatch_link_headers(${internal_root} ${ARG_BASE} "${ARG_PREFIX}" ${all})
    add_library(${target}_internal INTERFACE)
    target_include_directories(${target}_internal
                               INTERFACE ${internal_root} ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_libraries(${target}_internal INTERFACE ${target})
  endif()
endfunction()
