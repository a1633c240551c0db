# Man pages and the package changelog compressed as Debian installs them (gzip -9n: no
# name or time stamp inside, so the package is reproducible).
find_program(GZIP_PROGRAM gzip REQUIRED)

function(piporapad_gzip source output)
  add_custom_command(OUTPUT ${output}
    COMMAND ${GZIP_PROGRAM} -9nc ${source} > ${output}
    DEPENDS ${source}
    COMMENT "Compressing ${source}")
endfunction()

set(PIPORAPAD_MAN_PAGES)
foreach(page piporapad.1 piporapad-cli.1)
  set(out ${PROJECT_BINARY_DIR}/man/${page}.gz)
  file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/man)
  piporapad_gzip(${PROJECT_SOURCE_DIR}/share/man/man1/${page} ${out})
  list(APPEND PIPORAPAD_MAN_PAGES ${out})
endforeach()
set(PIPORAPAD_CHANGELOG ${PROJECT_BINARY_DIR}/man/changelog.gz)
piporapad_gzip(${PROJECT_SOURCE_DIR}/cmake/debian/changelog ${PIPORAPAD_CHANGELOG})
add_custom_target(piporapad_man_pages ALL DEPENDS ${PIPORAPAD_MAN_PAGES} ${PIPORAPAD_CHANGELOG})
