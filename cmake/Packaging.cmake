# Install layout and the Debian package (`cpack -G DEB`, see scripts/package.sh). Included at the end of the
# top-level CMakeLists.txt, so every program target and every build step that fills bin/LANGUAGE and bin/MASTER
# is known here; targets that a build leaves out are simply not installed.
#
#   <prefix>/lib/konfex/         konfex, konfex-cli, Ethernet_Update, konfex-devsim (private: the updater is
#                                started by konfex, not by the user)
#   <prefix>/bin/                relative links to konfex, konfex-cli and konfex-devsim
#   <prefix>/share/konfex/       the shipped LANGUAGE and MASTER folders; its presence beside lib/konfex is what
#                                tells the programs they are installed (shippedDataFolder() in core), so that they
#                                keep their working folders in the per-user folder and seed it from here
#   <prefix>/share/...           desktop entry, icons, AppStream metainfo, manual pages, copyright, changelog
#
# Nothing is written outside the package's own files: no maintainer scripts, so neither installing nor removing
# the package touches a user's folder.
if(NOT CMAKE_SYSTEM_NAME STREQUAL "Linux")
  return()
endif()

set(KONFEX_INSTALL_PROGRAMS lib/konfex)  # core looks for the data at ../../share/konfex from here
set(KONFEX_INSTALL_DATA share/konfex)
set(KONFEX_PACKAGE_MAINTAINER "Veltrona <support@veltrona.example>" CACHE STRING
    "Maintainer field of the Debian package")
set(_konfex_packaging ${PROJECT_SOURCE_DIR}/packaging)
set(_konfex_generated ${PROJECT_BINARY_DIR}/packaging)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# Programs, and the links a user starts them by.
foreach(program konfex konfex-cli Ethernet_Update konfex-devsim)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${KONFEX_INSTALL_PROGRAMS})
  endif()
endforeach()
foreach(program konfex konfex-cli konfex-devsim)
  if(TARGET ${program})
    # Relative, so an unpacked tree (dpkg-deb -x) works where it lies; /proc/self/exe resolves the link.
    install(CODE "
      file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin\")
      file(CREATE_LINK ../${KONFEX_INSTALL_PROGRAMS}/${program}
           \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin/${program}\" SYMBOLIC)")
  endif()
endforeach()

# Shipped data as the build leaves it beside the programs; the folder itself always exists, being the marker.
install(DIRECTORY DESTINATION ${KONFEX_INSTALL_DATA})
install(DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/LANGUAGE DESTINATION ${KONFEX_INSTALL_DATA} OPTIONAL
        FILES_MATCHING PATTERN "*.lng" PATTERN "*.bmp")
install(DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/MASTER DESTINATION ${KONFEX_INSTALL_DATA} OPTIONAL)

# Desktop integration.
install(FILES ${_konfex_packaging}/konfex.desktop DESTINATION share/applications)
install(FILES ${_konfex_packaging}/example.veltrona.konfex.metainfo.xml DESTINATION share/metainfo)
install(FILES ${_konfex_packaging}/icons/konfex.svg DESTINATION share/icons/hicolor/scalable/apps)
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES ${_konfex_packaging}/icons/${size}x${size}/konfex.png
          DESTINATION share/icons/hicolor/${size}x${size}/apps)
endforeach()

# Manual pages and the changelog, compressed as Debian wants them (gzip -9, no name or time stamp).
file(STRINGS ${_konfex_packaging}/changelog _konfex_changelog_top LIMIT_COUNT 1)
if(NOT _konfex_changelog_top MATCHES "^konfex \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/changelog must begin with an entry for version ${PROJECT_VERSION}")
endif()
find_program(KONFEX_GZIP gzip REQUIRED)
set(_konfex_compressed)
macro(_konfex_gzip source name)
  add_custom_command(OUTPUT ${_konfex_generated}/${name}.gz
                     COMMAND ${CMAKE_COMMAND} -E copy ${source} ${_konfex_generated}/${name}
                     COMMAND ${KONFEX_GZIP} -9nf ${_konfex_generated}/${name}
                     DEPENDS ${source} VERBATIM)
  list(APPEND _konfex_compressed ${_konfex_generated}/${name}.gz)
endmacro()
foreach(program konfex konfex-cli konfex-devsim)
  if(TARGET ${program})
    _konfex_gzip(${_konfex_packaging}/${program}.1 ${program}.1)
    install(FILES ${_konfex_generated}/${program}.1.gz DESTINATION share/man/man1)
  endif()
endforeach()
_konfex_gzip(${_konfex_packaging}/changelog changelog)  # native package: changelog.gz, not changelog.Debian.gz
add_custom_target(konfex_package_files ALL DEPENDS ${_konfex_compressed})
install(FILES ${_konfex_generated}/changelog.gz ${_konfex_packaging}/copyright DESTINATION share/doc/konfex)

# The package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME konfex)
set(CPACK_PACKAGE_VENDOR Veltrona)
set(CPACK_PACKAGE_CONTACT "${KONFEX_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configurator of the QD40213 EtherNet/IP Master / CAN gateway")
# Lines of at most 80 characters, as the control file shows them; the empty line becomes the paragraph mark.
string(JOIN "\n" CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Konfex configures the QD40213 protocol-converter gateway, which polls up to ten"
  "EtherNet/IP adapters on its Ethernet port and receives and sends CAN 2.0A/2.0B"
  "frames on its CAN port, moving bytes between the two sides through a data array"
  "of 1500 byte positions."
  ""
  "The main window leads through the steps: create or open a configuration, set"
  "the network and CAN parameters, list the adapters (taking their connection data"
  "from EDS files) and the CAN frames, compile the configuration image and update"
  "the device over the network."
  ""
  "The package also holds konfex-cli, which compiles, checks and decodes"
  "configurations in scripts, the updater, and konfex-devsim, a simulated gateway"
  "to try the update on one machine.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # konfex_<version>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${KONFEX_MAKER_URL}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)  # Depends computed by dpkg-shlibdeps from the programs
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS})
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR})
include(CPack)
