# export_only_listed(TARGET DEF_FILE)
# On ELF platforms, a shared library exports exactly the names listed under
# EXPORTS in its module-definition file: a version script built from that list
# hides everything else, template instantiations of the C++ library included
# (hidden visibility alone leaves those exported). The module-definition file
# stays the one list of a library's exports on every platform.
function(export_only_listed target def_file)
  if(WIN32 OR APPLE)
    return()
  endif()
  file(STRINGS ${CMAKE_CURRENT_SOURCE_DIR}/${def_file} lines)
  set(names "")
  set(in_exports FALSE)
  foreach(line IN LISTS lines)
    string(STRIP "${line}" line)
    if(line STREQUAL "EXPORTS")
      set(in_exports TRUE)
    elseif(in_exports AND line MATCHES "^([A-Za-z_][A-Za-z0-9_]*)")
      string(APPEND names "    ${CMAKE_MATCH_1};\n")
    endif()
  endforeach()
  set(script ${CMAKE_CURRENT_BINARY_DIR}/${target}.exports.map)
  file(WRITE ${script} "{\n  global:\n${names}  local: *;\n};\n")
  target_link_options(${target} PRIVATE "LINKER:--version-script=${script}")
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${script})
endfunction()
