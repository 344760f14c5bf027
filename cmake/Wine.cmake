# Windows test executables run under Wine in a sandboxed prefix that belongs to this build
# folder. The prefix is made (and checked) by tools/lib/wine-prefix.sh; every run goes through
# the emulator script, which refuses a prefix that could reach the host's files.
if(WIN32 AND CMAKE_CROSSCOMPILING)
    find_program(KESTREL_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
    if(NOT KESTREL_WINE64)
        find_program(KESTREL_WINE64 NAMES wine64 wine)
    endif()
    set(KESTREL_WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
    set(KESTREL_WINE_BIN ${CMAKE_BINARY_DIR}/bin)
    configure_file(${PROJECT_SOURCE_DIR}/tools/lib/wine-run.in ${CMAKE_BINARY_DIR}/wine-run @ONLY
                   FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                    WORLD_READ WORLD_EXECUTE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)
endif()
