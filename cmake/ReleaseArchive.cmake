# Run by CPack's External generator with the package's files staged in
# CPACK_TEMPORARY_DIRECTORY: refuses placeholder web links, adds SHA256SUMS and writes the
# zip. Not CPack's own ZIP: that takes the entries in the order the file system lists them
# and stores the packager's user and group IDs, so two packagers would get different bytes.
#
# Entry times come from SOURCE_DATE_EPOCH, else from the time of the last commit where the
# sources are a git checkout, else from 1980-01-01.

if(CPACK_KARVOLT_PLACEHOLDERS)
    message(FATAL_ERROR "Packaging stopped: web link settings under the reserved .example domain, "
                        "whose buttons would lead nowhere in a released launcher: "
                        "${CPACK_KARVOLT_PLACEHOLDERS}. Configure the mod's own, e.g.\n"
                        "  cmake --preset windows ${CPACK_KARVOLT_PLACEHOLDERS_FIX}")
endif()
if(NOT CPACK_KARVOLT_ZIP)
    message(FATAL_ERROR "Packaging needs zip (Debian package zip); install it and configure again")
endif()

# The oldest time a zip entry can hold (1980-01-01, in MS-DOS format).
set(oldest_zip_time 315532800)
if(DEFINED ENV{SOURCE_DATE_EPOCH})
    set(epoch "$ENV{SOURCE_DATE_EPOCH}")
else()
    # Only the sources' own repository: unpacked sources may lie inside some other one.
    set(epoch ${oldest_zip_time})
    execute_process(COMMAND git -C "${CPACK_KARVOLT_SOURCE_DIR}" rev-parse --show-toplevel
                    OUTPUT_VARIABLE top OUTPUT_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE git_result ERROR_QUIET)
    file(REAL_PATH "${CPACK_KARVOLT_SOURCE_DIR}" source_dir)
    if(git_result EQUAL 0 AND top)
        file(REAL_PATH "${top}" top)
    endif()
    if(git_result EQUAL 0 AND top STREQUAL source_dir)
        execute_process(COMMAND git -C "${source_dir}" log -1 --format=%ct
                        OUTPUT_VARIABLE committed OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
        if(committed)
            set(epoch ${committed})
        endif()
    endif()
endif()
if(NOT epoch MATCHES "^[0-9]+$")
    message(FATAL_ERROR "SOURCE_DATE_EPOCH='${epoch}' is not a number of seconds since 1970")
endif()
if(epoch LESS oldest_zip_time)
    set(epoch ${oldest_zip_time})
endif()

set(staged "${CPACK_TEMPORARY_DIRECTORY}")
file(REMOVE "${staged}/SHA256SUMS")
file(GLOB files LIST_DIRECTORIES false RELATIVE "${staged}" "${staged}/*")
list(SORT files)
set(sums)
foreach(file IN LISTS files)
    file(SHA256 "${staged}/${file}" hash)
    string(APPEND sums "${hash}  ${file}\n")
endforeach()
file(WRITE "${staged}/SHA256SUMS" "${sums}")
list(APPEND files SHA256SUMS)
list(SORT files)

# What zip stores of each file, made the same for everyone: mode and time. zip -X leaves out
# owners and the extra time fields; the one time left is local time, so UTC it is.
foreach(file IN LISTS files)
    if(file MATCHES "\\.exe$")
        file(CHMOD "${staged}/${file}" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
             GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
    else()
        file(CHMOD "${staged}/${file}" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
    endif()
endforeach()
execute_process(COMMAND touch -d @${epoch} ${files} WORKING_DIRECTORY "${staged}"
                RESULT_VARIABLE touched)
if(NOT touched EQUAL 0)
    message(FATAL_ERROR "could not set the time of the staged files (${touched})")
endif()

set(archive "${CPACK_TOPLEVEL_DIRECTORY}/${CPACK_PACKAGE_FILE_NAME}.zip")
file(REMOVE "${archive}")
set(ENV{TZ} UTC)
execute_process(COMMAND "${CPACK_KARVOLT_ZIP}" -X -D -q "${archive}" ${files}
                WORKING_DIRECTORY "${staged}" RESULT_VARIABLE zipped)
if(NOT zipped EQUAL 0)
    file(REMOVE "${archive}")
    message(FATAL_ERROR "zip failed (${zipped}) writing ${archive}")
endif()
set(CPACK_EXTERNAL_BUILT_PACKAGES "${archive}")
