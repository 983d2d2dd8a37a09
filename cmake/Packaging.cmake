# The release packages, made by `cmake --build --preset <windows|release> --target package`:
# on Windows a zip with the executable and its Italian guide, on Linux a Debian package.
# The CMake project's version is the one version number: the executable's version
# resource, the guide and the package names derive from it.
if(NOT TARGET SistemaArchivio)
  return()
endif()

set(sa_packaging ${PROJECT_SOURCE_DIR}/packaging)
# The packages' file names; the package tests of the native build look for them. The
# 64-bit Windows build, which only the tests use, makes a zip of its own name.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(SA_ZIP_FILE_NAME SistemaArchivio-${PROJECT_VERSION}-win64.zip)
else()
  set(SA_ZIP_FILE_NAME SistemaArchivio-${PROJECT_VERSION}-win32.zip)
endif()
find_program(SA_DPKG dpkg)
if(SA_DPKG)
  execute_process(COMMAND ${SA_DPKG} --print-architecture OUTPUT_VARIABLE sa_deb_arch OUTPUT_STRIP_TRAILING_WHITESPACE)
  set(SA_DEB_FILE_NAME sistemaarchivio_${PROJECT_VERSION}_${sa_deb_arch}.deb)
endif()
set(CPACK_PACKAGE_NAME SistemaArchivio)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# A package carries no debugging symbols.
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "converts a karaoke song archive from the Lyrimat to the Vocarium layout")

if(WIN32)
  # The version resource wants four numbers: the version's own, then zeros (an unset
  # component expands to nothing here).
  set(sa_version_numbers ${PROJECT_VERSION_MAJOR} ${PROJECT_VERSION_MINOR} ${PROJECT_VERSION_PATCH} ${PROJECT_VERSION_TWEAK} 0 0 0)
  list(SUBLIST sa_version_numbers 0 4 sa_version_numbers)
  list(JOIN sa_version_numbers "," SA_VERSION_COMMAS)
  configure_file(${PROJECT_SOURCE_DIR}/resources/Version.rc.in ${CMAKE_CURRENT_BINARY_DIR}/Version.rc @ONLY)
  target_sources(SistemaArchivio PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/Version.rc)

  # The guide as Notepad opens it on every Windows version: UTF-8 with a byte-order
  # mark, CRLF line ends.
  configure_file(${sa_packaging}/LEGGIMI.txt ${CMAKE_CURRENT_BINARY_DIR}/LEGGIMI.lf @ONLY)
  file(READ ${CMAKE_CURRENT_BINARY_DIR}/LEGGIMI.lf sa_guide)
  string(REPLACE "\n" "\r\n" sa_guide "${sa_guide}")
  string(ASCII 239 187 191 sa_bom)
  file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/LEGGIMI.txt "${sa_bom}${sa_guide}")

  install(TARGETS SistemaArchivio RUNTIME DESTINATION .)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/LEGGIMI.txt DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  # Flat: unpacked into the archive's folder, the program lands beside `Data`.
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
  string(REGEX REPLACE "\\.zip$" "" CPACK_PACKAGE_FILE_NAME ${SA_ZIP_FILE_NAME})
else()
  set(SA_PACKAGE_MAINTAINER "SistemaArchivio maintainers <maintainers@sistemaarchivio.invalid>"
      CACHE STRING "The Debian package's Maintainer field")
  string(TIMESTAMP SA_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)

  # Debian's policy: manual page and changelog compressed with gzip -9n.
  find_program(SA_GZIP gzip REQUIRED)
  configure_file(${sa_packaging}/changelog.in ${CMAKE_CURRENT_BINARY_DIR}/changelog @ONLY)
  configure_file(${sa_packaging}/sistemaarchivio.1.in ${CMAKE_CURRENT_BINARY_DIR}/sistemaarchivio.1 @ONLY)
  set(sa_docs ${CMAKE_CURRENT_BINARY_DIR}/sistemaarchivio.1 ${CMAKE_CURRENT_BINARY_DIR}/changelog)
  set(sa_gzipped)
  foreach(doc ${sa_docs})
    get_filename_component(name ${doc} NAME)
    add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/${name}.gz
                       COMMAND ${SA_GZIP} -9nc ${doc} > ${CMAKE_CURRENT_BINARY_DIR}/${name}.gz
                       DEPENDS ${doc} VERBATIM)
    list(APPEND sa_gzipped ${CMAKE_CURRENT_BINARY_DIR}/${name}.gz)
  endforeach()
  add_custom_target(sa_package_docs ALL DEPENDS ${sa_gzipped})

  set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
      OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  install(PROGRAMS $<TARGET_FILE:SistemaArchivio> DESTINATION bin RENAME sistemaarchivio)
  # install(PROGRAMS) strips nothing by itself; CPACK_STRIP_FILES asks for it here.
  install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
      execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-unneeded --remove-section=.comment
                              --remove-section=.note \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin/sistemaarchivio\"
                      COMMAND_ERROR_IS_FATAL ANY)
    endif()")
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/sistemaarchivio.1.gz DESTINATION share/man/man1)
  install(FILES ${sa_packaging}/copyright ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
          DESTINATION share/doc/sistemaarchivio)
  # The icon, but no desktop launcher: the tool works on the folder it is started in,
  # and a launcher cannot choose that folder.
  foreach(size 16 24 32)
    install(FILES ${PROJECT_SOURCE_DIR}/resources/SistemaArchivio-${size}.png
            DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME sistemaarchivio.png)
  endforeach()

  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_PACKAGE_NAME sistemaarchivio)
  set(CPACK_DEBIAN_FILE_NAME ${SA_DEB_FILE_NAME})
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${SA_PACKAGE_MAINTAINER}")
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # The bitmap fonts the layouts were drawn with ("MS Sans Serif"); without them the
  # tool draws with the outline font that fontconfig matches.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-wine)
  # The information dialog opens its help file with the desktop's viewer.
  set(CPACK_DEBIAN_PACKAGE_SUGGESTS xdg-utils)
  set(CPACK_PACKAGE_DESCRIPTION_FILE ${sa_packaging}/description)
endif()

include(CPack)
