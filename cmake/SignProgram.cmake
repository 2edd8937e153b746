# Signs UNSIGNED into SIGNED with Authenticode (osslsigncode), run at build time:
#   cmake -DOSSLSIGNCODE=... -DPKCS12=maker.p12 [-DTIMESTAMP_URL=...] [-DDESCRIPTION=...]
#         -DUNSIGNED=a.exe -DSIGNED=b.exe -P SignProgram.cmake
# The password of PKCS12 comes from the environment variable KARVOLT_SIGN_PASSWORD.
#
# SIGNED exists afterwards only if the signature was made: osslsigncode writes a file
# beside it, which is renamed onto SIGNED on success.

foreach(required IN ITEMS OSSLSIGNCODE PKCS12 UNSIGNED SIGNED)
    if(NOT DEFINED ${required})
        message(FATAL_ERROR "SignProgram.cmake: ${required} is not given")
    endif()
endforeach()

set(partial "${SIGNED}.partial")
file(REMOVE "${SIGNED}" "${partial}")

function(fail headline details)
    file(REMOVE "${partial}")
    string(STRIP "${details}" details)
    message(FATAL_ERROR "Signing failed: ${headline}\n"
                        "No exe was left at ${SIGNED}.\n${details}")
endfunction()

if(NOT EXISTS "${PKCS12}" OR IS_DIRECTORY "${PKCS12}")
    fail("the certificate KARVOLT_SIGN_PKCS12=${PKCS12} cannot be read: there is no such file." "")
endif()
if(NOT DEFINED ENV{KARVOLT_SIGN_PASSWORD})
    fail("KARVOLT_SIGN_PASSWORD is not set in the environment of the build; it holds the password of ${PKCS12}." "")
endif()

set(options -pkcs12 "${PKCS12}" -h sha256)
if(DESCRIPTION)
    list(APPEND options -n "${DESCRIPTION}")
endif()
if(TIMESTAMP_URL)
    list(APPEND options -ts "${TIMESTAMP_URL}")
endif()

# The password travels through a pipe: printenv's command line holds only the variable's
# name, osslsigncode's only the pipe, and nothing is written to a file, not even briefly.
# osslsigncode drops the newline printenv ends it with.
execute_process(
    COMMAND printenv KARVOLT_SIGN_PASSWORD
    COMMAND "${OSSLSIGNCODE}" sign ${options} -readpass /dev/stdin -in "${UNSIGNED}" -out "${partial}"
    RESULTS_VARIABLE results
    OUTPUT_VARIABLE output
    ERROR_VARIABLE output)

list(GET results 1 signed)
if(NOT signed EQUAL 0 OR NOT EXISTS "${partial}")
    if(output MATCHES "Wrong password|mac verify failure|Failed to read password")
        fail("the password in KARVOLT_SIGN_PASSWORD does not open ${PKCS12}." "${output}")
    elseif(output MATCHES "Failed to (read|extract) PKCS#12")
        fail("the certificate KARVOLT_SIGN_PKCS12=${PKCS12} cannot be read as a PKCS#12 file (.p12 or .pfx) of a certificate and its key." "${output}")
    elseif(TIMESTAMP_URL AND output MATCHES "[Tt]imestamp|TSA|[Cc]url|HTTP|[Cc]onnect")
        fail("no time stamp from KARVOLT_SIGN_TIMESTAMP_URL=${TIMESTAMP_URL}." "${output}")
    endif()
    fail("osslsigncode could not sign ${UNSIGNED} with ${PKCS12}." "${output}")
endif()
file(RENAME "${partial}" "${SIGNED}")
