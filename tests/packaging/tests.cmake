# The package's metadata and manual pages (no build output needed).
find_program(HESTREL_APPSTREAMCLI appstreamcli)
find_program(HESTREL_GROFF groff)
if(HESTREL_GROFF)
  add_test(NAME paket.metadaten_und_handbuch
           COMMAND ${CMAKE_COMMAND} -DQUELLE=${CMAKE_SOURCE_DIR} -DVERSION=${PROJECT_VERSION}
                   -DAPPSTREAMCLI=${HESTREL_APPSTREAMCLI} -DGROFF=${HESTREL_GROFF}
                   -P ${CMAKE_CURRENT_SOURCE_DIR}/packaging/paket_pruefen.cmake)
endif()
