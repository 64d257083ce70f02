# Two Debian packages from one build: quibo32 (the client, quiboweb and their installed files)
# and quibo-directory (the server and its service). `cpack -G DEB` in the build folder makes
# both; scripts/check-packages.sh checks them.

set(quibo_packaging ${PROJECT_SOURCE_DIR}/packaging)
set(quibo_packaging_out ${CMAKE_BINARY_DIR}/packaging)

# Debian's layout: the unit beside the distribution's own units, settings in /etc/default.
install(FILES ${quibo_packaging}/quibo-directory/quibo-directory.service DESTINATION /lib/systemd/system
        COMPONENT quibo-directory)
install(FILES ${quibo_packaging}/quibo-directory/default DESTINATION /etc/default RENAME quibo-directory
        COMPONENT quibo-directory)

# Man pages and changelogs are installed compressed, without a time stamp so builds repeat.
find_program(QUIBO_GZIP gzip REQUIRED)
function(quibo_install_gzipped source destination name component)
  set(output ${quibo_packaging_out}/${component}/${name}.gz)
  add_custom_command(OUTPUT ${output}
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${quibo_packaging_out}/${component}
                     COMMAND ${QUIBO_GZIP} -9nc ${source} > ${output}
                     DEPENDS ${source})
  string(MAKE_C_IDENTIFIER "quibo_gz_${component}_${name}" target)
  add_custom_target(${target} ALL DEPENDS ${output})
  install(FILES ${output} DESTINATION ${destination} COMPONENT ${component})
endfunction()

quibo_install_gzipped(${quibo_packaging}/man/quibo32.1 share/man/man1 quibo32.1 quibo32)
quibo_install_gzipped(${quibo_packaging}/man/quiboweb.1 share/man/man1 quiboweb.1 quibo32)
quibo_install_gzipped(${quibo_packaging}/man/quibo-directory.8 share/man/man8 quibo-directory.8 quibo-directory)
foreach(component quibo32 quibo-directory)
  quibo_install_gzipped(${quibo_packaging}/changelog share/doc/${component} changelog ${component})
  install(FILES ${quibo_packaging}/copyright DESTINATION share/doc/${component} COMPONENT ${component})
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quibo32)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Quibo32 developers <quibo32@example.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL quibo32 quibo-directory)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_DEBIAN_QUIBO32_PACKAGE_NAME quibo32)
set(CPACK_COMPONENT_QUIBO32_DESCRIPTION
    "peer-to-peer messenger\nRegister a handle with a directory server, then talk to other users directly:\none-line messages, smileys, sounds, chat channels, private chats, files\nand two small personal web pages.")
# setcap for the postinst, and the X11 platform plugin, which Qt loads by name.
set(CPACK_DEBIAN_QUIBO32_PACKAGE_DEPENDS "libcap2-bin, qt6-qpa-plugins")
set(CPACK_DEBIAN_QUIBO32_PACKAGE_CONTROL_EXTRA ${quibo_packaging}/quibo32/postinst ${quibo_packaging}/quibo32/prerm)

set(CPACK_DEBIAN_QUIBO-DIRECTORY_PACKAGE_NAME quibo-directory)
set(CPACK_COMPONENT_QUIBO-DIRECTORY_DESCRIPTION
    "directory server for the Quibo32 messenger\nKeeps the Quibo32 users' handles, registration data and current addresses,\non SQLite or PostgreSQL, and answers the clients over HTTP and TLS. It runs\nas a hardened systemd service.")
set(CPACK_DEBIAN_QUIBO-DIRECTORY_PACKAGE_SECTION net)
# The SQLite driver is a plugin, which shlibdeps cannot see; PostgreSQL is reached through
# libpq, which it does see. deb-systemd-helper is essential. The postinst makes the TLS key
# with openssl.
set(CPACK_DEBIAN_QUIBO-DIRECTORY_PACKAGE_DEPENDS "libqt6sql6-sqlite, openssl")
set(CPACK_DEBIAN_QUIBO-DIRECTORY_PACKAGE_CONTROL_EXTRA
    ${quibo_packaging}/quibo-directory/postinst ${quibo_packaging}/quibo-directory/prerm
    ${quibo_packaging}/quibo-directory/postrm ${quibo_packaging}/quibo-directory/conffiles)

include(CPack)
