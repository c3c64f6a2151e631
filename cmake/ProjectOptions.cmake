# Compiler flags shared by every target of the project.
add_compile_options(-Wall -Wextra -Werror)

if(FORMULA_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

if(WIN32)
  # Static runtime: the deliverables need nothing beyond Windows' own DLLs and ODBC.
  add_link_options(-static -static-libgcc -static-libstdc++)
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX)
  # Programs and DLLs side by side, where Windows looks for a program's DLLs.
  set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin)
endif()

# Windows DLLs: exports from their module-definition files.
include(WindowsExports)
