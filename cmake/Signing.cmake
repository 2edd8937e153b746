# Optional Authenticode signing with osslsigncode, for a mod maker who has a code-signing
# certificate:
#   export KARVOLT_SIGN_PASSWORD      # read at build time only
#   cmake --preset windows -DKARVOLT_SIGN_PKCS12=/path/maker.p12 \
#         [-DKARVOLT_SIGN_TIMESTAMP_URL=http://time-stamp.server/]
# Without KARVOLT_SIGN_PKCS12 nothing is signed.

set(KARVOLT_SIGN_PKCS12 "" CACHE FILEPATH "Certificate and key (PKCS#12) to sign Karvolt Launcher.exe with; empty: not signed")
set(KARVOLT_SIGN_TIMESTAMP_URL "" CACHE STRING "RFC 3161 time-stamp server for the signature; empty: none")

# The cache is a plain file in the build folder: a password given with -D would stay there.
if(DEFINED CACHE{KARVOLT_SIGN_PASSWORD} OR DEFINED KARVOLT_SIGN_PASSWORD)
    unset(KARVOLT_SIGN_PASSWORD CACHE)
    message(FATAL_ERROR "KARVOLT_SIGN_PASSWORD is not a build setting: it has been removed from the "
                        "cache again. Set it in the environment of the build instead "
                        "(read -rs KARVOLT_SIGN_PASSWORD && export KARVOLT_SIGN_PASSWORD).")
endif()

# Links `target` under an intermediate name and signs that into the exe's own name, so a
# failed signature never leaves an unsigned exe where the signed one belongs. Sets
# KARVOLT_SHIPPED_EXE in the caller to the exe that goes into the release package.
function(karvolt_sign_program target)
    get_target_property(name ${target} OUTPUT_NAME)
    if(NOT KARVOLT_SIGN_PKCS12)
        set(KARVOLT_SHIPPED_EXE "$<TARGET_FILE:${target}>" PARENT_SCOPE)
        return()
    endif()
    find_program(KARVOLT_OSSLSIGNCODE osslsigncode)
    if(NOT KARVOLT_OSSLSIGNCODE)
        message(FATAL_ERROR "KARVOLT_SIGN_PKCS12 is set, but osslsigncode was not found: install it "
                            "(Debian package osslsigncode) or leave KARVOLT_SIGN_PKCS12 empty")
    endif()

    set_target_properties(${target} PROPERTIES OUTPUT_NAME "${name}.unsigned")
    set(signed "${CMAKE_CURRENT_BINARY_DIR}/${name}${CMAKE_EXECUTABLE_SUFFIX}")
    set(timestamp_url_option)
    if(KARVOLT_SIGN_TIMESTAMP_URL)
        set(timestamp_url_option -DTIMESTAMP_URL=${KARVOLT_SIGN_TIMESTAMP_URL})
    endif()
    add_custom_command(OUTPUT "${signed}"
        COMMAND ${CMAKE_COMMAND}
            -DOSSLSIGNCODE=${KARVOLT_OSSLSIGNCODE}
            -DPKCS12=${KARVOLT_SIGN_PKCS12}
            ${timestamp_url_option}
            -DDESCRIPTION=${name}
            -DUNSIGNED=$<TARGET_FILE:${target}>
            -DSIGNED=${signed}
            -P ${PROJECT_SOURCE_DIR}/cmake/SignProgram.cmake
        DEPENDS ${target} ${PROJECT_SOURCE_DIR}/cmake/SignProgram.cmake
        COMMENT "Signing ${name}${CMAKE_EXECUTABLE_SUFFIX}"
        VERBATIM)
    add_custom_target(${target}_signed ALL DEPENDS "${signed}")
    set(KARVOLT_SHIPPED_EXE "${signed}" PARENT_SCOPE)
endfunction()
