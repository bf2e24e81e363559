include(GNUInstallDirs)
# The installed program folder has the same layout as the build tree's bin/.
set(QM_INSTALL_DIR ${CMAKE_INSTALL_LIBDIR}/quillmark)
set(QM_INSTALL_FULL_DIR ${CMAKE_INSTALL_PREFIX}/${QM_INSTALL_DIR})
install(TARGETS Quillmark qmsend qmplatform QMExpand QMHelp QMVidio QMDirect QMShow QMPlay QMPdf
  RUNTIME DESTINATION ${QM_INSTALL_DIR} LIBRARY DESTINATION ${QM_INSTALL_DIR})
install(DIRECTORY ${QM_BIN_DIR}/ DESTINATION ${QM_INSTALL_DIR}
  PATTERN "Quillmark" EXCLUDE PATTERN "qmsend" EXCLUDE PATTERN "*.so" EXCLUDE PATTERN "Temp" EXCLUDE)

configure_file(${CMAKE_SOURCE_DIR}/resources/quillmark.desktop.in ${CMAKE_BINARY_DIR}/quillmark.desktop @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/quillmark.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
if(EXISTS ${CMAKE_SOURCE_DIR}/resources/embedded/app/quillmark.svg)
  install(FILES ${CMAKE_BINARY_DIR}/rendered/app/quillmark.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
endif()
