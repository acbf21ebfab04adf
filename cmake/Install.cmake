# Installation as a Linux desktop program, and the Debian package (cpack -G DEB).
#
# Included at the end of the root CMakeLists.txt, after every module, so that it sees every
# program target. Layout under the prefix (/usr in the package):
#   lib/halvex/                 the program directory: the programs, their language packs and the
#                               default watermark pattern (read only; nothing is written here)
#   bin/<program>               a relative symlink to each program, so the commands are on PATH
#   share/applications/         desktop entries of the player and the client
#   share/metainfo/             their AppStream metadata
#   share/mime/packages/        the recorders' file types
#   share/icons/hicolor/        the two programs' icons, PNG at the usual sizes and SVG
#   share/man/man1/             manual pages: umvtool and dvrsim made from their --help, the
#                               player's and the client's written in packaging/man/
#   share/doc/halvex-dvr/       copyright and changelog
# The content check of the package (tests/package/check_package.sh) reads the list of what must
# be there from build/packaging/expected-contents.txt, written here at configure time from the
# targets this build has.

# A package is made from the optimised build only: sanitized programs are not for installing.
if(DVR_SANITIZE OR DVR_TSAN)
  return()
endif()

set(DVR_PACKAGE_NAME halvex-dvr)
set(DVR_PROGRAM_DIR lib/halvex)
# Programs that every build has; the others join the package (and the check) once they exist.
set(DVR_REQUIRED_PROGRAMS Orvane_M4 umvtool dvrsim)
set(DVR_OPTIONAL_PROGRAMS Telva_M4 Quenby_M4)
set(DVR_DESKTOP_PROGRAMS Orvane_M4 Telva_M4)
set(DVR_ICON_SIZES 16 22 24 32 48 64 128 256)
set(DVR_PACKAGING_SOURCE ${PROJECT_SOURCE_DIR}/packaging)
set(DVR_PACKAGING_BINARY ${PROJECT_BINARY_DIR}/packaging)
set(DVR_APP_ID_PREFIX com.halvex.)

set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
    GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
file(MAKE_DIRECTORY ${DVR_PACKAGING_BINARY}/bin ${DVR_PACKAGING_BINARY}/doc)
set(expected)

# ---- programs, commands on PATH --------------------------------------------------------------
foreach(program IN LISTS DVR_REQUIRED_PROGRAMS DVR_OPTIONAL_PROGRAMS)
  if(program IN_LIST DVR_REQUIRED_PROGRAMS OR TARGET ${program})
    list(APPEND expected ${DVR_PROGRAM_DIR}/${program} bin/${program})
  endif()
  if(NOT TARGET ${program})
    continue()
  endif()
  install(TARGETS ${program} RUNTIME DESTINATION ${DVR_PROGRAM_DIR})
  file(CREATE_LINK ../${DVR_PROGRAM_DIR}/${program} ${DVR_PACKAGING_BINARY}/bin/${program} SYMBOLIC)
  install(FILES ${DVR_PACKAGING_BINARY}/bin/${program} DESTINATION bin)
endforeach()

# ---- language packs and the default watermark pattern -----------------------------------------
# Every table in ui/lang becomes a pack beside its program (ui/lang/CMakeLists.txt).
if(DVR_BUILD_GUI)
  file(GLOB tables CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/ui/lang/*_*.txt)
  foreach(table IN LISTS tables)
    get_filename_component(name ${table} NAME_WE)
    if(name MATCHES "^Orvane_M4_")
      set(pack ${DVR_PLAYER_DIR}/${name}Dll.rcc)
    elseif(name MATCHES "^Telva_M4_")
      set(pack ${DVR_CLIENT_DIR}/${name}Dll.rcc)
    else()
      continue()
    endif()
    install(FILES ${pack} DESTINATION ${DVR_PROGRAM_DIR})
    list(APPEND expected ${DVR_PROGRAM_DIR}/${name}Dll.rcc)
  endforeach()
endif()
install(FILES ${PROJECT_SOURCE_DIR}/samples/Mark4015.raw DESTINATION ${DVR_PROGRAM_DIR})
list(APPEND expected ${DVR_PROGRAM_DIR}/Mark4015.raw)

# ---- desktop entries, AppStream metadata, icons ----------------------------------------------
find_program(DVR_RSVG_CONVERT rsvg-convert)
set(icon_outputs)
foreach(program IN LISTS DVR_DESKTOP_PROGRAMS)
  set(id ${DVR_APP_ID_PREFIX}${program})
  if(program IN_LIST DVR_REQUIRED_PROGRAMS OR TARGET ${program})
    list(APPEND expected share/applications/${id}.desktop share/metainfo/${id}.metainfo.xml
         share/icons/hicolor/scalable/apps/${id}.svg)
    foreach(size IN LISTS DVR_ICON_SIZES)
      list(APPEND expected share/icons/hicolor/${size}x${size}/apps/${id}.png)
    endforeach()
  endif()
  if(NOT TARGET ${program})
    continue()
  endif()
  install(FILES ${DVR_PACKAGING_SOURCE}/${id}.desktop DESTINATION share/applications)
  configure_file(${DVR_PACKAGING_SOURCE}/${id}.metainfo.xml
                 ${DVR_PACKAGING_BINARY}/${id}.metainfo.xml @ONLY)
  install(FILES ${DVR_PACKAGING_BINARY}/${id}.metainfo.xml DESTINATION share/metainfo)
  set(svg ${DVR_PACKAGING_SOURCE}/icons/${id}.svg)
  install(FILES ${svg} DESTINATION share/icons/hicolor/scalable/apps)
  if(NOT DVR_RSVG_CONVERT)
    continue()
  endif()
  foreach(size IN LISTS DVR_ICON_SIZES)
    set(png ${DVR_PACKAGING_BINARY}/icons/${size}x${size}/${id}.png)
    add_custom_command(OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${DVR_PACKAGING_BINARY}/icons/${size}x${size}
      COMMAND ${DVR_RSVG_CONVERT} --width ${size} --height ${size} --output ${png} ${svg}
      DEPENDS ${svg}
      COMMENT "Icon ${id} ${size}x${size}"
      VERBATIM)
    list(APPEND icon_outputs ${png})
    install(FILES ${png} DESTINATION share/icons/hicolor/${size}x${size}/apps)
  endforeach()
endforeach()
if(icon_outputs)
  add_custom_target(dvr_icons ALL DEPENDS ${icon_outputs})
else()
  message(STATUS "rsvg-convert not found: the PNG icons are not made (scripts/setup installs it)")
endif()

# ---- file types --------------------------------------------------------------------------------
install(FILES ${DVR_PACKAGING_SOURCE}/halvex-dvr.xml DESTINATION share/mime/packages)
list(APPEND expected share/mime/packages/halvex-dvr.xml)

# ---- manual pages ------------------------------------------------------------------------------
# dvr_add_manpage(PROGRAM SUMMARY DESCRIPTION SEE_ALSO): share/man/man1/PROGRAM.1.gz from the
# program's --help.
set(manpages)
function(dvr_add_manpage program summary description see_also)
  set(page ${DVR_PACKAGING_BINARY}/man/${program}.1.gz)
  add_custom_command(OUTPUT ${page}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${DVR_PACKAGING_BINARY}/man
    COMMAND /usr/bin/python3 ${DVR_PACKAGING_SOURCE}/make_manpage.py
            --program $<TARGET_FILE:${program}> --name ${program} --summary ${summary}
            --description ${description} --version "${DVR_PACKAGE_NAME} ${PROJECT_VERSION}"
            --date 2026-12-08 --see-also ${see_also} --out ${page}
    DEPENDS ${program} ${DVR_PACKAGING_SOURCE}/make_manpage.py
    COMMENT "Manual page ${program}(1)"
    VERBATIM)
  install(FILES ${page} DESTINATION share/man/man1)
  set(manpages ${manpages} ${page} PARENT_SCOPE)
endfunction()
if(TARGET umvtool)
  dvr_add_manpage(umvtool "inspect, convert and record DVR recordings from the command line"
    "umvtool reads and writes the recorders' files (recording pairs, calendars, still images, \
single pictures), decodes and exports their video, checks watermarks, and talks to a recorder \
as the remote client does: live view, backup download, search and remote playback."
    "dvrsim(1)")
endif()
if(TARGET dvrsim)
  dvr_add_manpage(dvrsim "a video recorder simulated on the loopback interface"
    "dvrsim serves a recording live and a folder of recordings as its disk on 127.0.0.1, \
with the recorder's accounts, requests and faults, for trying the remote client and umvtool \
without a recorder."
    "umvtool(1)")
endif()
list(APPEND expected share/man/man1/umvtool.1.gz share/man/man1/dvrsim.1.gz)
if(manpages)
  add_custom_target(dvr_manpages ALL DEPENDS ${manpages})
endif()

# ---- written manual pages, copyright and changelog ----------------------------------------------
# dvr_gzip(INPUT OUTPUT VAR): OUTPUT is INPUT compressed as Debian wants it (best compression, no
# name or time in the header), added to the list VAR.
function(dvr_gzip input output list)
  add_custom_command(OUTPUT ${output}
    COMMAND /usr/bin/python3 -c
      "import gzip,sys; d=open(sys.argv[1],'rb').read(); o=open(sys.argv[2],'wb'); z=gzip.GzipFile(filename='',mode='wb',fileobj=o,compresslevel=9,mtime=0); z.write(d); z.close(); o.close()"
      ${input} ${output}
    DEPENDS ${input}
    VERBATIM)
  set(${list} ${${list}} ${output} PARENT_SCOPE)
endfunction()

# The desktop programs' pages are written (packaging/man/<program>.1).
set(docs)
foreach(program IN LISTS DVR_DESKTOP_PROGRAMS)
  if(program IN_LIST DVR_REQUIRED_PROGRAMS OR TARGET ${program})
    list(APPEND expected share/man/man1/${program}.1.gz)
  endif()
  if(TARGET ${program})
    set(page ${DVR_PACKAGING_BINARY}/man/${program}.1.gz)
    dvr_gzip(${DVR_PACKAGING_SOURCE}/man/${program}.1 ${page} docs)
    install(FILES ${page} DESTINATION share/man/man1)
  endif()
endforeach()

set(docdir share/doc/${DVR_PACKAGE_NAME})
configure_file(${DVR_PACKAGING_SOURCE}/changelog.in ${DVR_PACKAGING_BINARY}/doc/changelog @ONLY)
dvr_gzip(${DVR_PACKAGING_BINARY}/doc/changelog ${DVR_PACKAGING_BINARY}/doc/changelog.gz docs)
add_custom_target(dvr_package_docs ALL DEPENDS ${docs})
install(FILES ${DVR_PACKAGING_SOURCE}/copyright ${DVR_PACKAGING_BINARY}/doc/changelog.gz
        DESTINATION ${docdir})
list(APPEND expected ${docdir}/copyright ${docdir}/changelog.gz)

# ---- what the package must hold ----------------------------------------------------------------
list(TRANSFORM expected PREPEND "./usr/")
list(SORT expected)
list(JOIN expected "\n" expected_text)
file(CONFIGURE OUTPUT ${DVR_PACKAGING_BINARY}/expected-contents.txt
  CONTENT "${expected_text}\n")

# ---- the Debian package --------------------------------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${DVR_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Halvex)
set(CPACK_PACKAGE_CONTACT "Halvex DVR suite maintainers <maintainers@halvex.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so not found by the library dependencies: Qt's platform plugins.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "player and remote client for 4/8/16-channel video recorders
Orvane_M4 plays the recordings, single pictures and still images of the
recorders: forwards and backwards at eight speeds, on up to 16 channels, with
sound, capture, printing and watermark verification. Telva_M4 watches,
controls and searches the recorders over the network, downloads backups and
records live video. Quenby_M4 is the simple player copied beside backups;
umvtool and dvrsim are the command-line companion and a recorder simulator.")
include(CPack)
