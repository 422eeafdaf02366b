# Where `cmake --install` and the Debian package put the program and its files.
#
# The program lives in bin; its help and the about box's picture live in share/quorvel,
# where the program looks when they are not beside it (a build tree keeps them beside).

set(QUORVEL_DATA_DIR ${CMAKE_INSTALL_DATADIR}/quorvel)
set(QUORVEL_METAINFO_ID example.quorvel.Quorvel)
# The date of the release named by project(VERSION), for the AppStream entry and the
# manual page.
set(QUORVEL_RELEASE_DATE 2026-12-08)
# SPDX name; data/package/copyright spells it out.
set(QUORVEL_LICENSE GPL-3.0-or-later)

set(QUORVEL_PACKAGE_FILES ${CMAKE_BINARY_DIR}/package)
configure_file(${CMAKE_SOURCE_DIR}/data/${QUORVEL_METAINFO_ID}.metainfo.xml.in
    ${QUORVEL_PACKAGE_FILES}/${QUORVEL_METAINFO_ID}.metainfo.xml @ONLY)

# Manual pages are stored compressed, without the file name and time in the gzip header so
# that two builds give the same bytes. The English page is the default one; man finds the
# French one under fr for a French locale.
set(QUORVEL_MAN_PAGES)
foreach(language en fr)
    if(language STREQUAL en)
        set(source quorvel.1.in)
        set(folder man/man1)
    else()
        set(source quorvel.${language}.1.in)
        set(folder man/${language}/man1)
    endif()
    configure_file(${CMAKE_SOURCE_DIR}/data/package/${source}
        ${QUORVEL_PACKAGE_FILES}/quorvel.${language}.1 @ONLY)
    add_custom_command(OUTPUT ${QUORVEL_PACKAGE_FILES}/${folder}/quorvel.1.gz
        COMMAND ${CMAKE_COMMAND} -E copy ${QUORVEL_PACKAGE_FILES}/quorvel.${language}.1
            ${QUORVEL_PACKAGE_FILES}/${folder}/quorvel.1
        COMMAND gzip -9nf ${QUORVEL_PACKAGE_FILES}/${folder}/quorvel.1
        DEPENDS ${QUORVEL_PACKAGE_FILES}/quorvel.${language}.1
        COMMENT "Compressing the manual page ${folder}/quorvel.1"
        VERBATIM)
    list(APPEND QUORVEL_MAN_PAGES ${QUORVEL_PACKAGE_FILES}/${folder}/quorvel.1.gz)
endforeach()
add_custom_target(quorvel_man_page ALL DEPENDS ${QUORVEL_MAN_PAGES})

if(TARGET quorvel)
    install(TARGETS quorvel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    # A stripped install also drops the compilers' notes, as Debian's own packages do.
    install(CODE "
        if(CMAKE_INSTALL_DO_STRIP)
            execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment
                --remove-section=.note
                \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/quorvel\"
                COMMAND_ERROR_IS_FATAL ANY)
        endif()")
    # Symbols are bound at start-up so that the whole relocation table can be read-only.
    target_link_options(quorvel PRIVATE -Wl,-z,relro -Wl,-z,now)
endif()
install(FILES ${QUORVEL_HELP_FILE} ${QUORVEL_ABOUT_PICTURE} DESTINATION ${QUORVEL_DATA_DIR})
install(FILES ${CMAKE_SOURCE_DIR}/data/quorvel.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(DIRECTORY ${QUORVEL_ICON_FOLDER} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
install(FILES ${CMAKE_SOURCE_DIR}/data/icons/quorvel.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${QUORVEL_PACKAGE_FILES}/${QUORVEL_METAINFO_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${QUORVEL_PACKAGE_FILES}/man/man1/quorvel.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${QUORVEL_PACKAGE_FILES}/man/fr/man1/quorvel.1.gz
    DESTINATION ${CMAKE_INSTALL_MANDIR}/fr/man1)
install(FILES ${CMAKE_SOURCE_DIR}/data/package/copyright
    DESTINATION ${CMAKE_INSTALL_DOCDIR})
