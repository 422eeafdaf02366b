# The Debian package: `cmake --build build --target package` writes
# build/quorvel_<version>-<release>_<arch>.deb from the install rules.

include(${CMAKE_CURRENT_LIST_DIR}/Install.cmake)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorvel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Vesquin <contact@quorvel.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "rename photographs and other files in batches")
# Lines of the extended description stay under 80 characters for terminals.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "Quorvel gives a whole series of photographs or other files new names in one"
    "go: a generic name followed by a number, a number followed by the name, or"
    "each file's own date and time. One window holds the source folder, the"
    "target folder and the rename panel; it also shortens names, adds a prefix,"
    "copies files under another type, manages folders, and shows thumbnails and"
    "a photo viewer. A new name never replaces an existing file."
    "."
    "The program speaks French.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://quorvel.example/)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The libraries the program links to are found by dpkg-shlibdeps. What it loads at run time
# is not: Qt's TIFF reader (the other formats the program lists come with Qt's own GUI
# library) and the help viewer that F1 starts.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-image-formats-plugins, xchm")

# Debian keeps a package's history, compressed like its manual pages.
set(QUORVEL_DEBIAN_CHANGELOG ${QUORVEL_PACKAGE_FILES}/doc/changelog.Debian)
configure_file(${CMAKE_SOURCE_DIR}/data/package/changelog.Debian.in
    ${QUORVEL_PACKAGE_FILES}/changelog.Debian @ONLY)
add_custom_command(OUTPUT ${QUORVEL_DEBIAN_CHANGELOG}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${QUORVEL_PACKAGE_FILES}/changelog.Debian
        ${QUORVEL_DEBIAN_CHANGELOG}
    COMMAND gzip -9nf ${QUORVEL_DEBIAN_CHANGELOG}
    DEPENDS ${QUORVEL_PACKAGE_FILES}/changelog.Debian
    COMMENT "Compressing the Debian changelog"
    VERBATIM)
add_custom_target(quorvel_debian_changelog ALL DEPENDS ${QUORVEL_DEBIAN_CHANGELOG}.gz)
install(FILES ${QUORVEL_DEBIAN_CHANGELOG}.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

include(CPack)

if(QUORVEL_TESTS)
    add_test(NAME Package.DesktopEntryAndMetainfoValidate
        COMMAND ${CMAKE_SOURCE_DIR}/tests/package/validate-desktop-files
            ${CMAKE_SOURCE_DIR}/data/quorvel.desktop
            ${QUORVEL_PACKAGE_FILES}/${QUORVEL_METAINFO_ID}.metainfo.xml)
    add_test(NAME Package.InstallLayout
        COMMAND ${CMAKE_SOURCE_DIR}/tests/package/check-install-layout ${CMAKE_BINARY_DIR}
            ${PROJECT_VERSION})
    set_tests_properties(Package.DesktopEntryAndMetainfoValidate Package.InstallLayout
        PROPERTIES SKIP_RETURN_CODE 77)
endif()
