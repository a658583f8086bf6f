# Installation and the Debian package. Included at the end of the top-level CMakeLists.txt.
#
#   cmake --install BUILD_DIR --prefix PREFIX
#   cpack --config BUILD_DIR/CPackConfig.cmake -B OUT_DIR      (a DEB package)
#
# Installs the program, its desktop entry, its icon in the hicolor theme (scalable and 32 x 32
# pixels), its AppStream metainfo, the licence and the change log, its manual page, and the
# command-line calculator voranth-calc with its manual page. scripts/check-package.sh builds the package and
# checks what it installs.

include(GNUInstallDirs)

set(VORANTH_APP_ID example.halvorn.Voranth)
set(VORANTH_ICON_SVG ${PROJECT_SOURCE_DIR}/app/icons/voranth.svg)
set(VORANTH_ICON_PNG ${CMAKE_BINARY_DIR}/packaging/${VORANTH_APP_ID}.png)

# The 32 x 32 pixel icon is rendered from the SVG at build time, so it always matches it.
voranth_render_svg(${VORANTH_ICON_SVG} ${VORANTH_ICON_PNG} 32)
add_custom_target(voranth_icon_png ALL DEPENDS ${VORANTH_ICON_PNG})

# Installed programs find Qt where the system keeps it: no run path of their own.
set_target_properties(voranth voranth-calc PROPERTIES INSTALL_RPATH "")
install(TARGETS voranth voranth-calc
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  BUNDLE DESTINATION .
)
if(UNIX AND NOT APPLE)
  # The compilers' identification notes (.comment) serve no purpose in an installed program;
  # Debian's packages leave them out. After the strip that the package build asks for.
  find_program(VORANTH_OBJCOPY NAMES objcopy ${CMAKE_OBJCOPY})
  if(VORANTH_OBJCOPY)
    foreach(program voranth voranth-calc)
      install(CODE "execute_process(COMMAND \"${VORANTH_OBJCOPY}\" --remove-section=.comment
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${program}\"
        COMMAND_ERROR_IS_FATAL ANY)")
    endforeach()
  endif()
endif()
if(UNIX AND NOT APPLE)
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/${VORANTH_APP_ID}.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${VORANTH_ICON_SVG}
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
    RENAME ${VORANTH_APP_ID}.svg)
  install(FILES ${VORANTH_ICON_PNG}
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps)
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/${VORANTH_APP_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  # The manual pages of voranth and voranth-calc and the package's change log, with the version
  # filled in and compressed as Debian keeps them.
  foreach(page voranth.1 voranth-calc.1 changelog)
    configure_file(${CMAKE_CURRENT_LIST_DIR}/${page}.in ${CMAKE_BINARY_DIR}/packaging/${page} @ONLY)
    add_custom_command(
      OUTPUT ${CMAKE_BINARY_DIR}/packaging/${page}.gz
      COMMAND gzip -9 -n -f -k ${CMAKE_BINARY_DIR}/packaging/${page}
      DEPENDS ${CMAKE_BINARY_DIR}/packaging/${page}
      COMMENT "Compressing ${page}"
      VERBATIM
    )
    list(APPEND VORANTH_COMPRESSED ${CMAKE_BINARY_DIR}/packaging/${page}.gz)
  endforeach()
  add_custom_target(voranth_compressed_docs ALL DEPENDS ${VORANTH_COMPRESSED})
  install(FILES ${CMAKE_BINARY_DIR}/packaging/voranth.1.gz
                ${CMAKE_BINARY_DIR}/packaging/voranth-calc.1.gz
    DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${CMAKE_BINARY_DIR}/packaging/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/voranth)
  install(FILES ${PROJECT_SOURCE_DIR}/LICENSE
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/voranth
    RENAME copyright)
endif()

set(CPACK_PACKAGE_NAME voranth)
set(CPACK_PACKAGE_VENDOR "The Voranth developers")
set(CPACK_PACKAGE_CONTACT "The Voranth developers <dev@halvorn.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://www.halvorn.example/")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_SOURCE_GENERATOR "")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Voranth developers <dev@halvorn.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Voranth takes a reference impedance and the reflection coefficients of a
source and a load, each as a magnitude and an angle, and computes the
mismatch loss, the return loss and the source and load impedances.
The command voranth-calc does the same from the command line, for one
point or over a sweep read from two Touchstone files, with CSV and SVG
output.")
# The SVG icon engine is a plugin that Qt loads at run time, out of sight of dpkg-shlibdeps. The
# windows need a face that draws Γ and Ω: Liberation Sans, with the widths the layout was drawn
# for, or else DejaVu Sans, which is on nearly every Debian and Ubuntu system already and whose
# wider captions are shrunk to fit. Either satisfies the dependency, so an installation adds
# nothing where DejaVu is present; apt takes Liberation where neither is, and the recommendation
# brings it wherever recommendations are installed.
set(VORANTH_FONT_DEPENDS "fonts-liberation2 | fonts-dejavu-core")
# dpkg-shlibdeps names the Qt libraries the programs link, libqt6svg6 among them, the package that
# also holds the SVG icon engine; without it they are named here.
find_program(VORANTH_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(VORANTH_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "${VORANTH_FONT_DEPENDS}")
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6widgets6, libqt6svg6, ${VORANTH_FONT_DEPENDS}")
endif()
# Liberation for the widths the layout was drawn for, and Qt's Wayland platform, without which the
# program runs on a Wayland desktop through XWayland.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation2, qt6-wayland")

include(CPack)
