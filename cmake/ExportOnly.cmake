# A plug-in library that exports its standard's entry point and nothing else. On Windows it is
# a DLL with the C++ runtime linked in, so it needs no DLL beyond the system's own, and a test
# checks its export table and imports; elsewhere a version script hides every other symbol.
function(sweepfilter_export_only target entry)
    set(folder ${CMAKE_CURRENT_BINARY_DIR}/${target}-exports)
    if(WIN32)
        file(GENERATE OUTPUT ${folder}/exports.def CONTENT "EXPORTS\n    ${entry}\n")
        set_source_files_properties(${folder}/exports.def PROPERTIES GENERATED TRUE)
        target_sources(${target} PRIVATE ${folder}/exports.def)
        target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++)
        if(SWEEPFILTER_BUILD_TESTS)
            add_test(NAME ${target}.DllExportsOnly.${entry}
                COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} -DDLL=$<TARGET_FILE:${target}>
                        -DENTRY=${entry} -P ${PROJECT_SOURCE_DIR}/cmake/CheckDllExports.cmake)
        endif()
    else()
        file(GENERATE OUTPUT ${folder}/exports.map CONTENT "{ global: ${entry}; local: *; };\n")
        target_link_options(${target} PRIVATE
            -Wl,--version-script=${folder}/exports.map -Wl,--no-undefined)
        set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${folder}/exports.map)
    endif()
endfunction()
