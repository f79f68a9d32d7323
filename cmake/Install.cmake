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

set(CPACK_PACKAGE_NAME zulprog)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Programmer, command-line client and simulator of ZUL-05HMI-16 controllers")
set(CPACK_PACKAGE_CONTACT "zulprog developers <zulprog@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
