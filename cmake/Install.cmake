# Installation and packaging of the two programs.
#
# `cmake --install` lays out the programs, the demo log, the manual pages and,
# with the windows, the desktop entry, the icon and the MIME type of ZEL logs;
# `cpack` (scripts/package) wraps the same tree into a Debian package.

include(GNUInstallDirs)

set(PELORIN_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)

# The report needs no Qt: it, the demo log and its manual page install in
# every build.
install(TARGETS pelorin-report RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_BINARY_DIR}/demo.ZEL DESTINATION ${CMAKE_INSTALL_DATADIR}/pelorin)
install(FILES ${CMAKE_SOURCE_DIR}/docs/pelorin-report.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

if(PELORIN_GUI)
  install(TARGETS pelorin RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${CMAKE_SOURCE_DIR}/docs/pelorin.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${PELORIN_PACKAGING_DIR}/pelorin.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${PELORIN_PACKAGING_DIR}/pelorin-mime.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME pelorin.xml)

  # The program draws its icon rather than loading it, so the theme's PNG
  # files are rendered from that same drawing at build time.
  set(PELORIN_ICON_SIDES_PX 16 22 24 32 48 64 128 256)
  set(PELORIN_ICON_THEME_DIR ${CMAKE_BINARY_DIR}/icons/hicolor)
  add_executable(pelorin-render-icons ${CMAKE_SOURCE_DIR}/app/tools/RenderIcons.cpp)
  target_link_libraries(pelorin-render-icons PRIVATE pelorin_widgets)
  target_compile_options(pelorin-render-icons PRIVATE ${PELORIN_WARNINGS})

  set(PELORIN_ICON_FILES)
  foreach(side ${PELORIN_ICON_SIDES_PX})
    set(icon ${PELORIN_ICON_THEME_DIR}/${side}x${side}/apps/pelorin.png)
    list(APPEND PELORIN_ICON_FILES ${icon})
    install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${side}x${side}/apps)
  endforeach()
  add_custom_command(OUTPUT ${PELORIN_ICON_FILES}
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
            $<TARGET_FILE:pelorin-render-icons> ${PELORIN_ICON_THEME_DIR} ${PELORIN_ICON_SIDES_PX}
    DEPENDS pelorin-render-icons
    COMMENT "Rendering the application icon")
  add_custom_target(application_icons ALL DEPENDS ${PELORIN_ICON_FILES})
endif()

# Debian package: pelorin_<version>_<arch>.deb. dpkg-shlibdeps derives the Qt 6
# and QCustomPlot runtime packages from the programs; it cannot see fonts, and
# the windows are laid out for Liberation Sans, Arial's metric twin.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pelorin)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Pelorin developers <pelorin@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "checks the CMR/CMR+ corrections a GNSS rover echoed into its ZEL log")
# One line per line of the control file's long description.
set(CPACK_PACKAGE_DESCRIPTION
    "Pelorin opens a rover's ZEL log, unwraps the CMR/CMR+ corrections echoed
into it and shows which messages arrived and how many of each kind, the
reference station's data and, epoch by epoch, whether the satellites in the
corrections match those the rover tracked. pelorin-report runs the same
analysis without a window and prints it as text or JSON.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(PELORIN_GUI)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-liberation)
endif()
set(CPACK_STRIP_FILES ON)
include(CPack)
