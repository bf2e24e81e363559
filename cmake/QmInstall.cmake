include(GNUInstallDirs)
# The installed program folder has the same layout as the build tree's bin/, and is /usr/lib/quillmark in the
# package: a folder of its own, not the multiarch library folder.
set(QM_INSTALL_DIR lib/quillmark)
set(QM_INSTALL_FULL_DIR ${CMAKE_INSTALL_PREFIX}/${QM_INSTALL_DIR})
install(TARGETS Quillmark qmsend qmplatform QMExpand QMHelp QMVidio QMDirect QMShow QMPlay QMPdf
  RUNTIME DESTINATION ${QM_INSTALL_DIR} LIBRARY DESTINATION ${QM_INSTALL_DIR})
# What a run of the build tree's program made there stays behind.
install(DIRECTORY ${QM_BIN_DIR}/ DESTINATION ${QM_INSTALL_DIR}
  PATTERN "Quillmark" EXCLUDE PATTERN "qmsend" EXCLUDE PATTERN "*.so" EXCLUDE PATTERN "Temp" EXCLUDE
  PATTERN "Save" EXCLUDE PATTERN "savefile" EXCLUDE PATTERN ".quillmark-scratch" EXCLUDE
  PATTERN "*.new" EXCLUDE)
# The flash player library is built only when its web view is at hand.
if(TARGET QMFlash)
  install(TARGETS QMFlash LIBRARY DESTINATION ${QM_INSTALL_DIR})
endif()

# The mark that makes the program work in each user's own folder and write nothing here.
file(WRITE ${CMAKE_BINARY_DIR}/INSTALLED
  "This program folder is installed: Quillmark writes nothing here. Each user's profiles, scratch folders\n"
  "and saved pages are in ~/.local/share/Quillmark.\n")
install(FILES ${CMAKE_BINARY_DIR}/INSTALLED DESTINATION ${QM_INSTALL_DIR})

# The command on the PATH: a relative link, so that the whole tree may be moved under another prefix.
file(RELATIVE_PATH qm_bin_to_program /${CMAKE_INSTALL_BINDIR} /${QM_INSTALL_DIR})
file(CREATE_LINK ${qm_bin_to_program}/Quillmark ${CMAKE_BINARY_DIR}/quillmark SYMBOLIC)
install(FILES ${CMAKE_BINARY_DIR}/quillmark DESTINATION ${CMAKE_INSTALL_BINDIR})

configure_file(${CMAKE_SOURCE_DIR}/resources/quillmark.desktop.in ${CMAKE_BINARY_DIR}/quillmark.desktop @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/quillmark.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

# The icon at every size the desktops ask for, rendered from our SVG, and the SVG itself.
set(qm_icon_svg ${CMAKE_SOURCE_DIR}/resources/embedded/app/quillmark.svg)
set(qm_icons)
foreach(size 16 22 24 32 48 64 128 256 512)
  set(out ${CMAKE_BINARY_DIR}/icons/${size}x${size}/quillmark.png)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${size}x${size}
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ${QM_SANITIZER_ENVIRONMENT}
      $<TARGET_FILE:svgrender> ${qm_icon_svg} ${out} ${size} ${size}
    DEPENDS ${qm_icon_svg} svgrender VERBATIM)
  list(APPEND qm_icons ${out})
  install(FILES ${out} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(qm_icons ALL DEPENDS ${qm_icons})
install(FILES ${qm_icon_svg} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

include(cmake/QmPackage.cmake)
