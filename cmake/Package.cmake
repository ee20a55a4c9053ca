# The Debian package (scripts/package.sh runs cpack): CPack's DEB generator
# over the install rules of cmake/Install.cmake, stripped, with the runtime
# dependencies dpkg-shlibdeps finds. Its file times are SOURCE_DATE_EPOCH's
# (cmake/SourceDate.cmake) and, packed under umask 022 as dpkg-buildpackage
# packs (scripts/package.sh), its modes fixed: the same source gives the
# same package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME fractals)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/SourceDate.cmake)
set(CPACK_FRACTALS_SOURCE_DIR ${PROJECT_SOURCE_DIR})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${FRACTALS_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# A failure shows its box through the first of these installed; without
# any, its text goes only to standard error, which a menu entry hides.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "x11-utils | zenity | kdialog")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "animated Julia set over a mix of two bitmaps")
# The description's lines, at most 80 characters each as Debian asks.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "A small demo: a ${AREA_WIDTH} x ${AREA_HEIGHT} window shows an animated Julia set whose colour"
  "scales a weighted mix of two bitmaps; Up and Down switch the bitmap of each"
  "pair. The menu entry runs it on the four bitmaps the package installs; from"
  "a terminal it reads ${BITMAP_A_0}, ${BITMAP_A_1}, ${BITMAP_B_0} and ${BITMAP_B_1} from the"
  "current folder. fractals-render draws the same frames without a window, to"
  "save them as BMP files or to measure the frame rate.")
include(CPack)
