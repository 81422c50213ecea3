# What `cmake --install` puts in place: the three programs, the desktop entry,
# the icon, the AppStream metainfo and the manual pages; and the Debian package
# that CPack makes of them (`cpack -G DEB` in the build directory).
include(GNUInstallDirs)

set(data_dir ${PROJECT_SOURCE_DIR}/data)

install(TARGETS webaccess webaccess-batch webaccess-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${data_dir}/webaccess.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${data_dir}/invalid.webaccess.WebAccess.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${data_dir}/icons/webaccess.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 24 32 48 64 128 256)
  install(FILES ${data_dir}/icons/webaccess-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME webaccess.png)
endforeach()

# Manual pages, written in scdoc and installed compressed.
find_program(SCDOC scdoc REQUIRED)
find_program(GZIP gzip REQUIRED)
set(man_pages)
foreach(program webaccess webaccess-batch webaccess-sim)
  set(page ${CMAKE_CURRENT_BINARY_DIR}/man/${program}.1.gz)
  set(source ${PROJECT_SOURCE_DIR}/man/${program}.1.scd)
  add_custom_command(
    OUTPUT ${page}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/man
    COMMAND sh -c "'${SCDOC}' < '${source}' | '${GZIP}' -9n > '${page}'"
    DEPENDS ${source}
    VERBATIM)
  list(APPEND man_pages ${page})
endforeach()
add_custom_target(manpages ALL DEPENDS ${man_pages})
install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# What Debian asks of every package: the copyright and the changelog.
set(changelog ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
add_custom_command(
  OUTPUT ${changelog}
  COMMAND sh -c "'${GZIP}' -9n < '${PROJECT_SOURCE_DIR}/packaging/changelog' > '${changelog}'"
  DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog
  VERBATIM)
add_custom_target(package_docs ALL DEPENDS ${changelog})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${changelog}
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME webaccess)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "The webaccess developers <dev@webaccess.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "client that orders motor-vehicle records from a records server")
set(CPACK_PACKAGE_DESCRIPTION
    "webaccess sends an order of motor-vehicle records, prepared by another\n"
    "program in its working directory, to the records company's server and\n"
    "collects the responses. The window program webaccess, the window-less\n"
    "webaccess-batch for scripts, and the server simulator webaccess-sim.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
