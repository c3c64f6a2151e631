# The project's one version (project() in the top CMakeLists.txt) as the
# programs and libraries show it:
#   - target project_version: the header formula_version.h (FORMULA_VERSION,
#     FORMULA_PRODUCT_NAME) for programs that print their version;
#   - windows_version_resource(TARGET DESCRIPTION): on Windows, a version
#     resource (file and product version, product name, description, file
#     name) linked into a program or DLL; nothing elsewhere.
set(FORMULA_PRODUCT_NAME "Formula suite")

set(generated ${PROJECT_BINARY_DIR}/generated)
configure_file(${CMAKE_CURRENT_LIST_DIR}/templates/formula_version.h.in
               ${generated}/formula_version.h @ONLY)
add_library(project_version INTERFACE)
target_include_directories(project_version INTERFACE ${generated})

if(WIN32)
  enable_language(RC)
endif()

function(windows_version_resource target description)
  if(NOT WIN32)
    return()
  endif()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "SHARED_LIBRARY")
    set(FILE_TYPE VFT_DLL)
    set(FILE_NAME ${target}.dll)
  else()
    set(FILE_TYPE VFT_APP)
    set(FILE_NAME ${target}.exe)
  endif()
  set(TARGET_NAME ${target})
  set(DESCRIPTION "${description}")
  set(resource ${PROJECT_BINARY_DIR}/generated/${target}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/templates/version.rc.in ${resource} @ONLY)
  target_sources(${target} PRIVATE ${resource})
endfunction()
