# Fetches Ruffle's self-hosted build VERSION with npm into WORK and copies the player, its cores, their
# WebAssembly and the licences into DEST. Without npm or the registry the Flash player stays missing, and
# the program says so when a Flash movie is opened.
find_program(NPM npm)
if(NOT NPM)
  message(WARNING "npm not found: Ruffle is not installed and Flash movies will not play.")
  file(WRITE ${STAMP} "missing\n")
  return()
endif()
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
execute_process(COMMAND ${NPM} pack --silent @ruffle-rs/ruffle@${VERSION} WORKING_DIRECTORY ${WORK}
  RESULT_VARIABLE packed OUTPUT_VARIABLE tarball OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT packed EQUAL 0 OR NOT EXISTS ${WORK}/${tarball})
  message(WARNING "npm pack @ruffle-rs/ruffle@${VERSION} failed: Flash movies will not play.")
  file(WRITE ${STAMP} "missing\n")
  return()
endif()
file(ARCHIVE_EXTRACT INPUT ${WORK}/${tarball} DESTINATION ${WORK})
file(REMOVE_RECURSE ${DEST})
file(MAKE_DIRECTORY ${DEST})
file(GLOB parts ${WORK}/package/ruffle.js ${WORK}/package/core.ruffle.*.js ${WORK}/package/*.wasm
  ${WORK}/package/LICENSE_* ${WORK}/package/package.json)
file(COPY ${parts} DESTINATION ${DEST})
file(WRITE ${STAMP} "${VERSION}\n")
