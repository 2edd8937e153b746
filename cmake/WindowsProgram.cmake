# Compile and link settings shared by every Windows target of the project.
function(karvolt_windows_defaults target)
    target_compile_definitions(${target} PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                               _WIN32_WINNT=0x0601)
endfunction()

# A self-contained GUI program: wide entry point, no runtime DLLs beside it, and the
# loader's protections (ASLR, DEP, terminal-server aware).
function(karvolt_windows_program target)
    if(MINGW)
        target_compile_options(${target} PRIVATE -municode)
        target_link_options(${target} PRIVATE -municode -mwindows -static -s
            -Wl,--gc-sections -Wl,--dynamicbase -Wl,--nxcompat -Wl,--tsaware)
    elseif(MSVC)
        target_link_options(${target} PRIVATE /DYNAMICBASE /NXCOMPAT /TSAWARE /MANIFEST:NO)
        set_property(TARGET ${target} PROPERTY MSVC_RUNTIME_LIBRARY "MultiThreaded$<$<CONFIG:Debug>:Debug>")
    endif()
endfunction()
