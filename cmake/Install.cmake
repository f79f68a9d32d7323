# cmake --install puts the three programs, the desktop entry, the icon, the
# .zul file type and the bash completion under the prefix; cpack -G DEB makes
# a package of the same.
include(GNUInstallDirs)
foreach(program zulprog zul zul-sim)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()
set(ZUL_PACKAGING ${CMAKE_SOURCE_DIR}/packaging)
install(FILES ${ZUL_PACKAGING}/zulprog.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${ZUL_PACKAGING}/zulprog.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${ZUL_PACKAGING}/zulprog-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME zulprog.xml)
install(FILES ${ZUL_PACKAGING}/zul.bash-completion DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
        RENAME zul)
# "О программе" points at the README installed here.
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/docs/glossary.md ${CMAKE_SOURCE_DIR}/docs/reports.md
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
# bash-completion loads a file by the command's name.
foreach(alias zulprog zul-sim)
  install(FILES ${ZUL_PACKAGING}/zul.bash-completion
          DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME ${alias})
endforeach()

# The Debian documents every package carries: the copyright, and the
# changelog compressed as policy asks (gzip -9n, no name or time in it).
set(ZUL_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/zulprog)
install(FILES ${ZUL_PACKAGING}/copyright DESTINATION ${ZUL_DOC_DIR})
set(ZUL_CHANGELOG_GZ ${CMAKE_BINARY_DIR}/changelog.gz)
execute_process(COMMAND gzip -9nc ${ZUL_PACKAGING}/changelog OUTPUT_FILE ${ZUL_CHANGELOG_GZ})
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${ZUL_PACKAGING}/changelog)
install(FILES ${ZUL_CHANGELOG_GZ} DESTINATION ${ZUL_DOC_DIR})
# Installing (and cpack) takes the programs as built; it does not build every
# test and benchmark first. scripts/package builds what the package holds.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(CPACK_PACKAGE_NAME zulprog)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Programmer, command-line client and simulator of ZUL-05HMI-16 controllers")
set(CPACK_PACKAGE_CONTACT "zulprog developers <zulprog@example.org>")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "zulprog reads, edits and writes the configuration of ZUL-05HMI-16 controllers\n"
    "over a serial line and keeps it in .zul files; zul does the same from scripts,\n"
    "and zul-sim plays controllers on a pseudo-terminal.")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The libraries come from shlibdeps; what is loaded at run time is named here:
# Qt's Russian dialogs and its platform plugins.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n, qt6-qpa-plugins")
# Debug symbols stay in the build tree; the package carries stripped programs.
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
