# The Debian package: cpack -G DEB in the build folder makes
# torvane_<version>_<architecture>.deb from the install rules.
set(CPACK_PACKAGE_NAME torvane)
set(CPACK_PACKAGE_VENDOR "The Torvane developers")
set(CPACK_PACKAGE_CONTACT "The Torvane developers <developers@torvane.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "prepare firmware images for flash memory")
set(CPACK_PACKAGE_DESCRIPTION
"Torvane collects up to six Intel HEX or raw BIN files in a file list, converts
HEX files to BIN files, merges the files into one flash image at their offsets
with gap fill, pads them to an alignment and keeps the list as an INI project.
Its tools compute check values (complemented sums, MD5), make test images and C
arrays, and build upgrade images for a USB network adapter.

The window speaks Simplified Chinese; torvane-cli runs the same operations from
build scripts.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries come from the binaries (dpkg-shlibdeps, in dpkg-dev); the font
# with Chinese glyphs and Qt's own translations are not linked, only used.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-wqy-microhei, qt6-translations-l10n")

include(CPack)
