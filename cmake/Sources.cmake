# Sources are found by folder: the folder says which layer a file belongs to, and files under
# a "win32" folder are compiled for Windows only.
function(kestrel_glob out)
    file(GLOB_RECURSE found CONFIGURE_DEPENDS ${ARGN})
    list(SORT found)
    set(${out} ${found} PARENT_SCOPE)
endfunction()

function(kestrel_split_win32 all portable win32)
    set(p ${${all}})
    set(w ${${all}})
    list(FILTER p EXCLUDE REGEX "/win32/")
    list(FILTER w INCLUDE REGEX "/win32/")
    set(${portable} ${p} PARENT_SCOPE)
    set(${win32} ${w} PARENT_SCOPE)
endfunction()

function(kestrel_project_target target)
    target_compile_options(${target} PRIVATE ${KESTREL_WARNINGS})
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
endfunction()
