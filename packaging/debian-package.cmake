# `make package`: a Debian package of the program, its exporter and desktop integration.
set(VM_PACKAGE_MAINTAINER "VelmoraAlbum developers <maintainers@velmoraalbum.org>"
  CACHE STRING "Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmoraalbum)
set(CPACK_PACKAGE_VENDOR "VelmoraAlbum developers")
set(CPACK_PACKAGE_CONTACT "${VM_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "photo album video maker")
set(CPACK_PACKAGE_INSTALL_DIRECTORY velmoraalbum)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The build carries debug information for developers; the package does not.
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VM_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The summary above is the first line; CPack indents this body and marks the blank line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [=[VelmoraAlbum turns JPEG and PNG pictures into one slideshow video: order
the pictures, choose how long each one shows, the aspect ratio and height,
background music and a text or picture watermark, watch a live preview and
export MP4, MKV, WEBM, MOV, AVI, FLV, WMV, M4V or GIF. Consecutive pictures
are joined by animated transitions.

The package also carries vmalbum-export, which renders an album from the
command line with the same engine.]=])
# Libraries the executables link are found by dpkg-shlibdeps; MediaInfo is opened at run time.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libmediainfo0v5")
# Chinese interface texts need Qt's own catalogue and a CJK font.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk, qttranslations5-l10n")

include(CPack)
