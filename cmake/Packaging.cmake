# The release: one program folder "Kickora Music Manager" in a ZIP, with
# the three programs, the help file and the licence, and nothing else.
set(KICKORA_PROGRAM_FOLDER "Kickora Music Manager")
install(TARGETS tunedeck tonepak tunegrab RUNTIME DESTINATION ${KICKORA_PROGRAM_FOLDER})
install(FILES ${PROJECT_BINARY_DIR}/manager/readme.txt ${PROJECT_SOURCE_DIR}/manager/licence.txt
  DESTINATION ${KICKORA_PROGRAM_FOLDER})

# cpack installs what is built; the demo builds only the packaged programs.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME "kickora-music-manager")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_NAME}-${CPACK_PACKAGE_VERSION}-${KICKORA_PACKAGE_SYSTEM}")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_STRIP_FILES ON)
include(CPack)
