# The Debian package (cpack -G DEB; scripts/package makes it from the release build). Installed below
# /usr: bin/quillmark, share/quillmark, the desktop entry, metainfo, icons and the licence.
set(QUILLMARK_PACKAGE_MAINTAINER "The Quillmark developers <developers@quillmark.app>"
    CACHE STRING "Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillmark)
set(CPACK_PACKAGE_VENDOR "The Quillmark developers")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "heads-up display, hotkeys and meters for an audio interface's monitor section")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
       "Quillmark connects to the mixer engine of an audio interface's mixer software on this computer and\n"
       "adds what the mixer lacks: a transient heads-up display on every monitor change, system-wide hotkeys\n"
       "for level, mute, dim, mono, stereo, surround, talkback and three reference levels, a floating meter\n"
       "window with peak hold and clip indicators, and a tray menu. Global hotkeys need an X11 session.")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${QUILLMARK_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The linked libraries (Qt 6, libsodium, libxcb...) come from dpkg-shlibdeps; so do Qt's X11 platform plugin
# and TLS backend, which ship in the Qt libraries' own packages. The TLS backend opens libssl3 itself.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libssl3")
# The documents and a downloaded update are handed to the desktop through xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
include(CPack)
