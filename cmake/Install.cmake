# Where an installed copy keeps its files (GNUInstallDirs), and the Debian
# package CPack builds from them: `cmake --build build --target package`.
include(GNUInstallDirs)
# The package is "quorvane", whatever the CMake project is called.
set(CMAKE_INSTALL_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/quorvane)

install(TARGETS quorvane quorvane-store RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES data/demo.scenario DESTINATION ${CMAKE_INSTALL_DATADIR}/quorvane)
install(FILES data/org.quorvane.Quorvane.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES data/org.quorvane.Quorvane.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES data/icons/org.quorvane.Quorvane.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 48 128 256)
    install(FILES data/icons/${size}x${size}/org.quorvane.Quorvane.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

# Manual pages and the changelog go in compressed, as Debian keeps them; -n keeps
# the bytes the same from build to build.
set(compressed ${CMAKE_BINARY_DIR}/compressed)
set(docs)
foreach(file man/quorvane.1 man/quorvane-store.1 packaging/changelog)
    get_filename_component(name ${file} NAME)
    add_custom_command(OUTPUT ${compressed}/${name}.gz
                       COMMAND ${CMAKE_COMMAND} -E make_directory ${compressed}
                       COMMAND gzip -9n -c ${CMAKE_CURRENT_SOURCE_DIR}/${file} > ${compressed}/${name}.gz
                       DEPENDS ${file})
    list(APPEND docs ${compressed}/${name}.gz)
endforeach()
add_custom_target(compressed_docs ALL DEPENDS ${docs})
install(FILES ${compressed}/quorvane.1.gz ${compressed}/quorvane-store.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${compressed}/changelog.gz RENAME changelog.Debian.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES packaging/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Quorvane developers <quorvane@users.noreply.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "browse a mailbox and get the Visual Basic code of every action")
set(CPACK_PACKAGE_DESCRIPTION
    "Quorvane '99 shows a mailbox as a tree and, for every action performed on it,
appends to a code window the Visual Basic source that performs the same task
through a scriptable messaging object library. It imports mail files (mbox,
Maildir, eml), reads IMAP accounts live, and runs the code it writes.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION mail)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so dpkg-shlibdeps cannot see them: the TLS roots and the
# keyring's D-Bus service are asked for, the platform plugins are plugins.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "ca-certificates, qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, gnome-keyring")
set(CPACK_STRIP_FILES ON)
include(CPack)
