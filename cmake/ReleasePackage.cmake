# The release archive, one per architecture:
#   cmake --build --preset windows --target package
# gives Karvolt-Launcher-<version>-<arch>.zip in the build folder with the exe (signed where
# signing is set up), a note for players and SHA256SUMS. CPack stages the files;
# cmake/ReleaseArchive.cmake writes the archive.

karvolt_web_link_placeholders(placeholders "${KARVOLT_WEBSITE_HOST}" "${KARVOLT_DONATION_EMAIL}")
set(named)
set(fix)
set(KARVOLT_WEBSITE_HOST_EXAMPLE www.your-site.org)
set(KARVOLT_DONATION_EMAIL_EXAMPLE you@your-mail.org)
foreach(setting IN LISTS placeholders)
    list(APPEND named "${setting}=${${setting}}")
    list(APPEND fix "-D${setting}=${${setting}_EXAMPLE}")
endforeach()
list(JOIN named " and " named)
list(JOIN fix " " fix)
if(named)
    message(WARNING "Web link settings are placeholders under the reserved .example domain: "
                    "${named}. This build's buttons for them lead nowhere: fine for development, "
                    "but the release package refuses them. See \"Web links\" in README.md.")
endif()

if(KARVOLT_ARCH STREQUAL x64)
    set(KARVOLT_PACKAGE_ARCH_NOTE "This is the x64 build: it runs on 64-bit Windows only. The x86 build runs on both.")
else()
    set(KARVOLT_PACKAGE_ARCH_NOTE "This is the x86 build: it runs on 32-bit and on 64-bit Windows.")
endif()
# Windows line ends, so that every Notepad shows the lines.
configure_file(resources/player_note.txt.in generated/README.txt @ONLY NEWLINE_STYLE CRLF)

install(PROGRAMS "${KARVOLT_SHIPPED_EXE}" DESTINATION . RENAME "Karvolt Launcher.exe")
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/generated/README.txt DESTINATION .)

find_program(KARVOLT_ZIP zip)
set(CPACK_GENERATOR External)
set(CPACK_EXTERNAL_ENABLE_STAGING ON)
set(CPACK_EXTERNAL_PACKAGE_SCRIPT ${PROJECT_SOURCE_DIR}/cmake/ReleaseArchive.cmake)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME "Karvolt-Launcher-${PROJECT_VERSION}-${KARVOLT_ARCH}")
set(CPACK_KARVOLT_PLACEHOLDERS "${named}")
set(CPACK_KARVOLT_PLACEHOLDERS_FIX "${fix}")
set(CPACK_KARVOLT_SOURCE_DIR "${PROJECT_SOURCE_DIR}")
set(CPACK_KARVOLT_ZIP "${KARVOLT_ZIP}")
include(CPack)
