# Installation (cmake --install) and the Debian package (cpack -G DEB).
include(GNUInstallDirs)

# Installing (and cpack) needs only the program and the files below, not the tests and
# benchmarks that "all" builds; scripts/package-test.sh builds those targets first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(FOLIOSCOPE_ICON_SIZES 16 22 24 32 48 64 128 256)
set(FOLIOSCOPE_DATADIR "${CMAKE_INSTALL_DATADIR}/folioscope")
set(FOLIOSCOPE_DOCDIR "${CMAKE_INSTALL_DATADIR}/doc/folioscope")
set(packaging "${CMAKE_SOURCE_DIR}/packaging")
set(staged "${CMAKE_BINARY_DIR}/packaging")

# PNG icons for the hicolor theme, rendered from the tool's SVG icon with Qt's SVG module.
add_executable(render_icon "${packaging}/render-icon.cpp")
target_link_libraries(render_icon PRIVATE Qt6::Gui Qt6::Svg)
set(icon_svg "${CMAKE_SOURCE_DIR}/src/app/icons/folioscope.svg")
set(icon_pngs "")
foreach(size ${FOLIOSCOPE_ICON_SIZES})
    list(APPEND icon_pngs "${staged}/icons/${size}x${size}/apps/folioscope.png")
endforeach()
add_custom_command(OUTPUT ${icon_pngs}
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
            $<TARGET_FILE:render_icon> "${icon_svg}" "${staged}/icons" ${FOLIOSCOPE_ICON_SIZES}
    DEPENDS render_icon "${icon_svg}"
    COMMENT "Rendering the icon at ${FOLIOSCOPE_ICON_SIZES} px")

# The manual page and the package's changelog, compressed without time stamps.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_CONTACT "Folioscope developers <folioscope-dev@example.org>")
configure_file("${packaging}/folioscope.1" "${staged}/folioscope.1" @ONLY)
configure_file("${packaging}/changelog.Debian.in" "${staged}/changelog.Debian" @ONLY)
foreach(name folioscope.1 changelog.Debian)
    add_custom_command(OUTPUT "${staged}/${name}.gz"
        COMMAND gzip -9 -n -c "${staged}/${name}" > "${staged}/${name}.gz"
        DEPENDS "${staged}/${name}")
endforeach()
add_custom_target(package_files ALL
    DEPENDS ${icon_pngs} "${staged}/folioscope.1.gz" "${staged}/changelog.Debian.gz")

install(TARGETS folioscope RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
# The help file, once the build makes it (build/Folioscope2.chm); HelpFolder looks in
# ../share/folioscope/ beside the program.
install(FILES "${CMAKE_BINARY_DIR}/Folioscope2.chm" DESTINATION "${FOLIOSCOPE_DATADIR}" OPTIONAL)
install(FILES "${packaging}/folioscope.desktop"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
install(FILES "${icon_svg}" DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps")
foreach(size ${FOLIOSCOPE_ICON_SIZES})
    install(FILES "${staged}/icons/${size}x${size}/apps/folioscope.png"
            DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps")
endforeach()
install(FILES "${staged}/folioscope.1.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
install(FILES "${packaging}/copyright" "${staged}/changelog.Debian.gz"
        DESTINATION "${FOLIOSCOPE_DOCDIR}")

# Debian package: shared-library dependencies computed by dpkg-shlibdeps, plus what the tool
# loads without linking it: the IPA fonts the reports are laid out in, the CUPS client for
# the print queues, Qt's Japanese translations and Qt's SVG icon engine (the icons are SVG).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME folioscope)
set(CPACK_PACKAGE_VENDOR "Folioscope developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "print preview for Japanese engineering print data")
# CPack puts the summary in front of the description: the summary is the synopsis line.
set(CPACK_PACKAGE_DESCRIPTION
    "Folioscope lays out the Shift-JIS print data that structural-design programs
write (report lines, box-character tables, tag lines for fonts, line pitch,
repeated titles, page ends, fractions and EMF, WMF, BMP and JPEG figures)
into printer pages, previews them, prints them and exports them to PDF, also
from the command line without a display.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "fonts-ipafont-mincho, fonts-ipafont-gothic, cups-client, qt6-translations-l10n, libqt6svg6")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
