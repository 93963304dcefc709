# Checks a DLL's export table and imports: it must export its entry point (`main` unless
# ENTRY names another) and nothing else, under that plain name, and need no DLL beyond the
# system's own.
# Usage: cmake -DOBJDUMP=... -DDLL=... [-DENTRY=...] -P CheckDllExports.cmake
if(NOT ENTRY)
    set(ENTRY main)
endif()
execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE dump RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} could not read ${DLL}")
endif()

string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table\n([ \t]*\\[ *[0-9]+\\] [^\n]*\n)*" table "${dump}")
string(REGEX MATCHALL "\\[ *[0-9]+\\] [^\n]+" entries "${table}")
set(names)
foreach(entry IN LISTS entries)
    string(REGEX REPLACE "\\[ *[0-9]+\\] " "" name "${entry}")
    list(APPEND names "${name}")
endforeach()
if(NOT names STREQUAL ENTRY)
    message(FATAL_ERROR "${DLL} exports [${names}], not just [${ENTRY}]")
endif()

string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
foreach(import IN LISTS imports)
    string(REPLACE "DLL Name: " "" import "${import}")
    string(TOLOWER "${import}" import)
    if(NOT import MATCHES "^(kernel32|msvcrt|user32|advapi32|ntdll)\\.dll$")
        message(FATAL_ERROR "${DLL} needs ${import}, which is not a system DLL")
    endif()
endforeach()
message(STATUS "${DLL}: exports only ${ENTRY}; imports ${imports}")
