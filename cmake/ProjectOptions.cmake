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

# 32-bit x86: arithmetic on doubles in SSE2 registers, so every step rounds to
# a double as on every other target. The x87 unit keeps intermediate results in
# 80 bits, which changes ROUND's steps (1.005 at 2 places would give 1.0, not
# 1.01) and the exact fast path for constants.
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(i[3-6]86|x86)$")
  add_compile_options(-msse2 -mfpmath=sse)
endif()
