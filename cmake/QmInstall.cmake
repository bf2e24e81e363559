include(GNUInstallDirs)
# The installed program folder has the same layout as the build tree's bin/.
set(QM_INSTALL_DIR ${CMAKE_INSTALL_LIBDIR}/quillmark)
install(TARGETS Quillmark qmplatform QMExpand QMHelp QMVidio QMDirect QMShow QMPlay
  RUNTIME DESTINATION ${QM_INSTALL_DIR} LIBRARY DESTINATION ${QM_INSTALL_DIR})
install(DIRECTORY ${QM_BIN_DIR}/ DESTINATION ${QM_INSTALL_DIR}
  PATTERN "Quillmark" EXCLUDE PATTERN "*.so" EXCLUDE PATTERN "Temp" EXCLUDE)
