# PNG icons in the hicolor sizes, painted at build time by the same code that draws the
# window icon (share/icons/hicolor/scalable/apps/piporapad.svg is that drawing as SVG).
add_executable(piporapad-icon-tool
  ${PROJECT_SOURCE_DIR}/src/app/icon_tool/main.cpp
  ${PROJECT_SOURCE_DIR}/src/platform/ui/app_icon.cpp)
target_include_directories(piporapad-icon-tool PRIVATE ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(piporapad-icon-tool PRIVATE Qt6::Gui)

set(PIPORAPAD_ICON_PNGS)
foreach(size ${PIPORAPAD_ICON_SIZES})
  list(APPEND PIPORAPAD_ICON_PNGS ${PIPORAPAD_BUILD_SHARE}/icons/hicolor/${size}x${size}/apps/piporapad.png)
endforeach()
add_custom_command(OUTPUT ${PIPORAPAD_ICON_PNGS}
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
          $<TARGET_FILE:piporapad-icon-tool> ${PIPORAPAD_BUILD_SHARE}/icons/hicolor
          ${PIPORAPAD_ICON_SIZES}
  DEPENDS piporapad-icon-tool
  COMMENT "Painting the icon in ${PIPORAPAD_ICON_SIZES} pixels")
add_custom_target(piporapad_icons ALL DEPENDS ${PIPORAPAD_ICON_PNGS})
