# The same sources built with the same toolchain give the same bytes, from any source or
# build folder and at any time: anyone can check a released exe against the tagged sources.
# tests/release/reproducible.sh builds twice and compares.

if(MINGW)
    # The PE header's link time stamp is the only thing of the build's time that reaches
    # the exe; without it, its checksum depends on the contents alone.
    add_link_options(-Wl,--no-insert-timestamp)
    # __FILE__ and debug paths relative to the folders. GCC takes the last matching map, so
    # the build folder, which often lies inside the source folder, comes second.
    add_compile_options(-ffile-prefix-map=${CMAKE_SOURCE_DIR}/= -ffile-prefix-map=${CMAKE_BINARY_DIR}/=)
    # Archives without member dates, owners and modes, whatever binutils was configured with.
    foreach(lang IN ITEMS C CXX)
        set(CMAKE_${lang}_ARCHIVE_CREATE "<CMAKE_AR> qcD <TARGET> <LINK_FLAGS> <OBJECTS>")
        set(CMAKE_${lang}_ARCHIVE_APPEND "<CMAKE_AR> qD <TARGET> <LINK_FLAGS> <OBJECTS>")
        set(CMAKE_${lang}_ARCHIVE_FINISH "<CMAKE_RANLIB> -D <TARGET>")
    endforeach()
elseif(MSVC)
    # Hashes instead of time stamps in objects, libraries and the PE header.
    add_compile_options(/Brepro)
    add_link_options(/Brepro)
    string(APPEND CMAKE_STATIC_LINKER_FLAGS " /Brepro")
endif()
