# The maker's web-site host and the payee's e-mail address for the donation page are the
# mod maker's to set:
#   cmake --preset windows -DKARVOLT_WEBSITE_HOST=www.example.org \
#         -DKARVOLT_DONATION_EMAIL=someone@example.org
# A value that cannot make a correct address stops the configure step.

if(NOT CMAKE_SCRIPT_MODE_FILE)
set(KARVOLT_WEBSITE_HOST "karvolt.example" CACHE STRING "Host of the maker's web site (My website button)")
set(KARVOLT_DONATION_EMAIL "donate@karvolt.example" CACHE STRING "Payee's account e-mail address (Donate button)")
endif()

set(_label "[A-Za-z0-9]([A-Za-z0-9-]*[A-Za-z0-9])?")
set(_host "^${_label}(\\.${_label})*$")

function(karvolt_check_web_link_settings website_host donation_email)
    if(NOT website_host MATCHES "${_host}")
        message(FATAL_ERROR "KARVOLT_WEBSITE_HOST='${website_host}' is not a host name: use ASCII letters, digits, hyphens and dots only, e.g. www.example.org")
    endif()
    if(NOT donation_email MATCHES "^[A-Za-z0-9._%+-]+@(.+)$" OR NOT CMAKE_MATCH_1 MATCHES "${_host}")
        message(FATAL_ERROR "KARVOLT_DONATION_EMAIL='${donation_email}' is not an e-mail address: one '@' between an ASCII local part and a host name, e.g. someone@example.org")
    endif()
endfunction()

# The names of the settings still under the reserved .example domain, as the defaults are:
# fine while developing, but their buttons lead nowhere, so the release package refuses them.
function(karvolt_web_link_placeholders out website_host donation_email)
    set(placeholders)
    string(TOLOWER "${website_host}" website_host)
    string(TOLOWER "${donation_email}" donation_email)
    if(website_host MATCHES "(^|\\.)example$")
        list(APPEND placeholders KARVOLT_WEBSITE_HOST)
    endif()
    if(donation_email MATCHES "[@.]example$")
        list(APPEND placeholders KARVOLT_DONATION_EMAIL)
    endif()
    set(${out} ${placeholders} PARENT_SCOPE)
endfunction()

# Run as a script (cmake -P) to check values without configuring a build.
if(CMAKE_SCRIPT_MODE_FILE)
    karvolt_check_web_link_settings("${KARVOLT_WEBSITE_HOST}" "${KARVOLT_DONATION_EMAIL}")
    message(STATUS "web link settings are valid")
endif()
