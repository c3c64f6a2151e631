# What a user of the installed suite gets beside the programs and libraries
# (documentation, examples, manual pages), and the release packages that
# scripts/package.sh makes with CPack from the install rules of a build:
#   - Linux: a Debian package (prefix /usr), dependencies from dpkg-shlibdeps;
#   - Windows: a zip with bin/, lib/, include/, docs/ and examples/ under one
#     folder named after the package.
# Everything any install() rule of the project installs lands in the package.
set(FORMULA_PACKAGE_NAME formula-suite)

if(WIN32)
  set(formula_doc_dir docs)
  set(formula_examples_dir examples)
else()
  set(formula_doc_dir ${CMAKE_INSTALL_DATAROOTDIR}/doc/${FORMULA_PACKAGE_NAME})
  set(formula_examples_dir ${formula_doc_dir}/examples)
endif()

install(FILES README.md CHANGELOG.md docs/language.md docs/api.md docs/architecture.md docs/database.md
              docs/changes.md
        DESTINATION ${formula_doc_dir})
install(DIRECTORY examples/ DESTINATION ${formula_examples_dir})

# Manual pages, with the version filled in, compressed as Debian installs them.
if(NOT WIN32)
  foreach(page formcomp.1 formeval.1)
    set(man_page ${PROJECT_BINARY_DIR}/man/${page})
    configure_file(docs/man/${page}.in ${man_page} @ONLY)
    file(ARCHIVE_CREATE OUTPUT ${man_page}.gz PATHS ${man_page} FORMAT raw COMPRESSION GZip)
    install(FILES ${man_page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endforeach()
endif()

set(CPACK_PACKAGE_NAME ${FORMULA_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "${FORMULA_PRODUCT_NAME} developers")
set(CPACK_PACKAGE_CONTACT "${FORMULA_PRODUCT_NAME} developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "formula compiler formcomp, evaluator library ZERIZI, host utility library VENTUS")
set(CPACK_PACKAGE_DESCRIPTION
    "formcomp compiles formulas into symbol and code texts; the ZERIZI library evaluates them (Formula) and formeval tries them from the command line. The VENTUS library holds the host application's utility operations: raw printing, documents over ODBC, lists, text files, digests, program launch. With headers, pkg-config files and CMake packages for hosts, and the PostgreSQL extension formula, which compiles and evaluates formulas in the server.")
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
set(CPACK_STRIP_FILES ON)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME
      ${FORMULA_PACKAGE_NAME}-${PROJECT_VERSION}-windows-${CMAKE_SYSTEM_PROCESSOR})
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION devel)
  # The libraries' own dependencies (unixODBC's libodbc2, libcups2, the C++
  # runtime) read from the binaries by dpkg-shlibdeps; the ODBC drivers for
  # the document functions are the host's choice.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # The formula extension loads into PostgreSQL 15's server.
  set(CPACK_DEBIAN_PACKAGE_SUGGESTS "libsqliteodbc, odbc-postgresql, cups, postgresql-15")
  set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
endif()
include(CPack)
