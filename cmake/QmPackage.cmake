# The Debian package of what `cmake --install` lays out, made by `cpack -G DEB` (scripts/package).
set(CPACK_PACKAGE_NAME quillmark)
set(CPACK_PACKAGE_VENDOR Quillmark)
set(CPACK_PACKAGE_CONTACT "Quillmark developers <quillmark@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "classroom presentation and annotation suite")
set(CPACK_PACKAGE_DESCRIPTION "A small floating panel stays above everything. From it a teacher writes with a pen \
over a frozen picture of the desktop or on whiteboard pages, places geometry instruments, inserts pictures and \
videos, and calls up presentation aids: capture and zoom, spotlight, screen mask, magnifier, timer, screen \
recorder, video player, slide-show toolbar and a 3D picture wall.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE amd64)
# The libraries it links come from dpkg-shlibdeps; the program's own are found beside it.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/bin)
# What it loads or starts by name: the X11 platform plug-in, GStreamer's playbin with ximagesink, pulsesink
# and the decoders of common videos, a Chinese font, the desktop's file opener.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "qt6-qpa-plugins, libqt6svg6, gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, gstreamer1.0-x, gstreamer1.0-libav, libpulse0, fonts-wqy-microhei | fonts-noto-cjk, xdg-utils")
# Slide decks go through LibreOffice Impress, printing through CUPS; on a Wayland desktop the frozen desktop
# and the recorder go through the desktop's portals and PipeWire; the keyboard and calculator are started by
# name from the panel, and each says so when it is missing.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
  "libreoffice-impress, cups-client, pulseaudio | pipewire-pulse, xdg-desktop-portal, xdg-desktop-portal-gnome | xdg-desktop-portal-kde, gstreamer1.0-pipewire, onboard, galculator, qt6-image-formats-plugins, qt6-translations-l10n, fonts-liberation")
include(CPack)
