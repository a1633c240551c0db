# `cpack -G DEB` (from the build folder) makes piporapad_<version>_amd64.deb of the install
# tree under /usr. Library dependencies come from dpkg-shlibdeps; what the programs find
# at run time (the platform plugins, the SoundFont, the fonts) is listed by hand.
set(CPACK_PACKAGE_NAME piporapad)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "PiporaPad developers")
set(CPACK_PACKAGE_CONTACT "PiporaPad developers <piporapad@piporapad.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor for SMD ringtone melodies")
set(CPACK_PACKAGE_DESCRIPTION
  "PiporaPad edits ringtone melodies for mobile phones in the SMD format: up to
sixteen monophonic parts on a staff-notation score editor or a list editor,
played through a built-in synthesizer or a MIDI port, and saved only after
checks that every note fits the format. Standard MIDI Files can be imported
and exported. The command-line tool piporapad-cli checks, converts and
renders melodies in scripts.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "qt6-qpa-plugins, timgm6mb-soundfont | sf2-soundfont-gm, fonts-noto-core, fonts-ipafont-gothic")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
