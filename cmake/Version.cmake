# The version the programs print (--version), from the project's version: a generated
# header that every target can include as "piporapad_version.h".
set(PIPORAPAD_GENERATED_DIR ${PROJECT_BINARY_DIR}/generated)
file(CONFIGURE OUTPUT ${PIPORAPAD_GENERATED_DIR}/piporapad_version.h CONTENT
  "#pragma once\n#define PIPORAPAD_VERSION \"${PROJECT_VERSION}\"\n")
include_directories(${PIPORAPAD_GENERATED_DIR})
