# install_library_package(TARGET DESCRIPTION)
# Installs a shared library with a CMake package (find_package(TARGET)) exposing
# TARGET::TARGET, and a pkg-config file named after the library in lower case.
# The library carries the project's version: on ELF systems the SONAME
# libTARGET.so.MAJOR, with libTARGET.so as the link for development; on
# Windows a version resource.
function(install_library_package target description)
  string(TOLOWER ${target} lower)
  if(NOT WIN32)
    set_target_properties(${target} PROPERTIES VERSION ${PROJECT_VERSION}
                                               SOVERSION ${PROJECT_VERSION_MAJOR})
  endif()
  windows_version_resource(${target} "${description}")
  install(TARGETS ${target} EXPORT ${target}Targets
          LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
          ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
          RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
          INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
  install(EXPORT ${target}Targets NAMESPACE ${target}::
          DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/${target})
  file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/${target}Config.cmake
       "include(\${CMAKE_CURRENT_LIST_DIR}/${target}Targets.cmake)\n")
  include(CMakePackageConfigHelpers)
  write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/${target}ConfigVersion.cmake
                                   COMPATIBILITY SameMajorVersion)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${target}Config.cmake
                ${CMAKE_CURRENT_BINARY_DIR}/${target}ConfigVersion.cmake
          DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/${target})
  # The prefix is found from the .pc file's own place, so the file stays true
  # whatever prefix the package is installed under (cmake --install --prefix).
  file(RELATIVE_PATH to_prefix ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
  string(REGEX REPLACE "/$" "" to_prefix "${to_prefix}")
  set(pc "prefix=\${pcfiledir}/${to_prefix}\n")
  string(APPEND pc "libdir=\${prefix}/${CMAKE_INSTALL_LIBDIR}\n")
  string(APPEND pc "includedir=\${prefix}/${CMAKE_INSTALL_INCLUDEDIR}\n\n")
  string(APPEND pc "Name: ${target}\nDescription: ${description}\n")
  string(APPEND pc "Version: ${PROJECT_VERSION}\n")
  string(APPEND pc "Libs: -L\${libdir} -l${target}\nCflags: -I\${includedir}\n")
  file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/${lower}.pc "${pc}")
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${lower}.pc
          DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endfunction()
