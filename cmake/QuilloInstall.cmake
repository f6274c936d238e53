# How a Linux desktop gets the program: the executable, its translations, a desktop entry, AppStream
# metadata and icons at the places the freedesktop.org specifications name, and a Debian package of the same.
include(GNUInstallDirs)

set(QUILLO_APP_ID org.quillo.Quillo)

install(TARGETS quillo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# "language/Lang_%1" is looked for beside the executable in the build tree and in the program's data folder
# once installed (StartupHelpers.cpp).
set(QUILLO_INSTALL_LANGUAGE_PARENT ${CMAKE_INSTALL_DATADIR}/quillo)
install(FILES ${quillo_qm_files} DESTINATION ${QUILLO_INSTALL_LANGUAGE_PARENT}/language)
install(FILES resources/desktop/${QUILLO_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
configure_file(resources/desktop/${QUILLO_APP_ID}.metainfo.xml
  ${CMAKE_BINARY_DIR}/${QUILLO_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/${QUILLO_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 48 64 128 256)
  install(FILES resources/desktop/icons/${size}x${size}/${QUILLO_APP_ID}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

file(RELATIVE_PATH quillo_language_parent_from_bin ${CMAKE_INSTALL_FULL_BINDIR}
  ${CMAKE_INSTALL_PREFIX}/${QUILLO_INSTALL_LANGUAGE_PARENT})
set_property(SOURCE app/StartupHelpers.cpp TARGET_DIRECTORY quillo_app APPEND PROPERTY COMPILE_DEFINITIONS
  QUILLO_LANGUAGE_PARENT_FROM_BIN="${quillo_language_parent_from_bin}")

set(CPACK_PACKAGE_NAME quillo)
set(CPACK_PACKAGE_VENDOR "The Quillo developers")
set(CPACK_PACKAGE_CONTACT "The Quillo developers <quillo@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_INSTALL_DIRECTORY /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_LICENSE GPL-3.0-or-later)
# The libraries the executable links are found by dpkg-shlibdeps; the Qt and GStreamer plugins are loaded at
# run time and so are named here: the keyword index's database driver, the TIFF and other picture readers,
# and what plays and records sound and video.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "libqt6sql6-sqlite, qt6-image-formats-plugins, qt6-qpa-plugins, gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, gstreamer1.0-libav")
include(CPack)
