# What `cmake --install` lays out under the prefix (GNUInstallDirs):
#   bin/piporapad, bin/piporapad-cli
#   lib/piporapad/plugins/              piporapad-sound.so, which piporapad-cli loads to make sound,
#                                       and piporapad-score.so, for its score command
#   share/piporapad/                    read-only data (tone names, manual)
#   share/applications/, share/mime/packages/, share/metainfo/, share/icons/hicolor/
#   share/man/man1/, share/bash-completion/completions/, share/doc/piporapad/
# The programs find share/piporapad relative to their own executable, so any prefix works;
# the build folder gets a copy of share/ (and the rendered icons) for the same reason.

set(PIPORAPAD_APP_ID org.piporapad.PiporaPad)
set(PIPORAPAD_ICON_SIZES 16 22 24 32 48 64 128 256)
set(PIPORAPAD_BUILD_SHARE ${PROJECT_BINARY_DIR}/share)

# The build folder's copy of share/, refreshed whenever a file there changes.
file(GLOB_RECURSE PIPORAPAD_SHARE_FILES RELATIVE ${PROJECT_SOURCE_DIR}/share CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/share/*)
foreach(file ${PIPORAPAD_SHARE_FILES})
  configure_file(${PROJECT_SOURCE_DIR}/share/${file} ${PIPORAPAD_BUILD_SHARE}/${file} COPYONLY)
endforeach()

include(cmake/Icons.cmake)
include(cmake/ManPages.cmake)

install(TARGETS piporapad piporapad-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# A private folder, not the multiarch library folder: piporapad-cli finds it from its own place,
# and the package needs no ldconfig call for it.
install(TARGETS piporapad-sound piporapad-score LIBRARY DESTINATION lib/piporapad/plugins)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/share/piporapad/
  DESTINATION ${CMAKE_INSTALL_DATADIR}/piporapad)
install(FILES ${PROJECT_SOURCE_DIR}/share/applications/${PIPORAPAD_APP_ID}.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/share/metainfo/${PIPORAPAD_APP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/share/mime/packages/piporapad.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
install(FILES ${PROJECT_SOURCE_DIR}/share/icons/hicolor/scalable/apps/piporapad.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size ${PIPORAPAD_ICON_SIZES})
  install(FILES ${PIPORAPAD_BUILD_SHARE}/icons/hicolor/${size}x${size}/apps/piporapad.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${PIPORAPAD_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/share/bash-completion/completions/piporapad-cli
  DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
install(FILES ${PROJECT_SOURCE_DIR}/cmake/debian/copyright ${PIPORAPAD_CHANGELOG}
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/piporapad)
