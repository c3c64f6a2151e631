# windows_module_definition(TARGET DEF_FILE)
# Gives a Windows DLL exactly the exports listed in its module-definition file,
# under their plain names. Does nothing on other systems, where the public
# functions are exported by their visibility attribute.
#
# The .def file lists every export with its standard-call decoration, the bytes
# of arguments that the function removes from the stack (Formula@8). On 32-bit
# Windows the compiler names a __stdcall function _Formula@8:
#   - the DLL is linked with --kill-at, so the export table holds "Formula";
#   - the import library is rebuilt by dlltool from the same file, so that a
#     host compiled against our header (which refers to _Formula@8) links to it
#     and imports "Formula" by name.
# 64-bit Windows has a single calling convention and no decoration: the DLL is
# linked with a copy of the file whose "@N" suffixes are removed.
# The file the DLL was linked with is installed beside its import library.
function(windows_module_definition target def_file)
  if(NOT WIN32)
    return()
  endif()
  get_filename_component(def_path ${def_file} ABSOLUTE)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${def_path})
  set_target_properties(${target} PROPERTIES PREFIX "")

  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    target_sources(${target} PRIVATE ${def_path})
    install(FILES ${def_path} DESTINATION ${CMAKE_INSTALL_LIBDIR})
    target_link_options(${target} PRIVATE -Wl,--kill-at)
    if(NOT CMAKE_DLLTOOL)
      message(FATAL_ERROR "dlltool not found: needed for the import library of ${target}")
    endif()
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${CMAKE_DLLTOOL} --kill-at --input-def ${def_path}
              --dllname $<TARGET_FILE_NAME:${target}>
              --output-lib $<TARGET_LINKER_FILE:${target}>
      COMMENT "Import library of ${target} with decorated symbols and plain import names"
      VERBATIM)
  else()
    file(READ ${def_path} definitions)
    string(REGEX REPLACE "@[0-9]+" "" definitions "${definitions}")
    get_filename_component(def_name ${def_path} NAME)
    set(plain_def ${CMAKE_CURRENT_BINARY_DIR}/${target}-plain/${def_name})
    file(CONFIGURE OUTPUT ${plain_def} CONTENT "${definitions}" @ONLY)
    target_sources(${target} PRIVATE ${plain_def})
    install(FILES ${plain_def} DESTINATION ${CMAKE_INSTALL_LIBDIR})
  endif()
endfunction()
