# Warnings for our own targets only. GCC 12 reports a false -Wrestrict inside libstdc++ for
# "literal" + std::string (GCC bug 105651), so that one check is off.
add_library(sweepfilter_warnings INTERFACE)
target_compile_options(sweepfilter_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion
    $<$<CXX_COMPILER_ID:GNU>:-Wno-restrict>
    $<$<BOOL:${SWEEPFILTER_WERROR}>:-Werror>)

# Bit-exact arithmetic is a property of the build. Every target that holds effect code links
# this: no fused multiply-add contraction (it changes the last bit of a*b+c), no fast-math,
# and on 32-bit x86 SSE2 arithmetic instead of x87 (whose 80-bit registers round twice).
# It is public on the effect's libraries: their headers hold per-sample code that is compiled
# into whatever includes them, tests too.
add_library(sweepfilter_exact_math INTERFACE)
target_compile_options(sweepfilter_exact_math INTERFACE -ffp-contract=off -fno-fast-math)
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(i.86|x86|x86_64|AMD64)$" AND CMAKE_SIZEOF_VOID_P EQUAL 4)
    target_compile_options(sweepfilter_exact_math INTERFACE -msse2 -mfpmath=sse)
endif()

# The effect's own code throws nothing and is built without exception support, so no
# exception can start inside it and reach a host.
add_library(sweepfilter_no_exceptions INTERFACE)
target_compile_options(sweepfilter_no_exceptions INTERFACE -fno-exceptions)
