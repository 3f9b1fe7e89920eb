# How the shipped programs (setup.exe, check-package.exe) are compiled and
# linked so that they carry only the runtime they use. Most of a static C++
# runtime is its exception machinery (throwing, unwinding, the verbose
# terminate handler and its demangler) and the library's prebuilt strings and
# exception classes, linked whole with their unwind tables; none of it does
# anything for these programs. framework/Runtime.cpp stands in for the few
# pieces they call.

# For every source of the shipped programs: no exceptions, no RTTI, no unwind
# tables (Windows does not read them), each function in a section of its own
# so that the linker drops what nothing calls. Not -fdata-sections: for
# Windows GCC then puts zero-filled variables in the file (the installer
# state alone is 50 KB of zeros).
set(LEAN_CXX_OPTIONS
    $<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions>
    $<$<COMPILE_LANGUAGE:CXX>:-fno-rtti>
    $<$<COMPILE_LANGUAGE:C,CXX>:-fno-asynchronous-unwind-tables>
    $<$<COMPILE_LANGUAGE:C,CXX>:-ffunction-sections>)

# The start-up objects: crt2.o calls main, crt2u.o (what -municode picks)
# calls wmain with the command line in Unicode.
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=crt2.o
                OUTPUT_VARIABLE LEAN_CRT2 OUTPUT_STRIP_TRAILING_WHITESPACE)
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=crt2u.o
                OUTPUT_VARIABLE LEAN_CRT2U OUTPUT_STRIP_TRAILING_WHITESPACE)

# lean_code(<target>): compiles a target of the shipped programs as above.
# As C++20: up to C++17 the library's headers declare std::string's members
# instantiated in the library (extern template), so every program links that
# prebuilt copy whole, unwind tables and all (about 33 KB); from C++20 on the
# compiler instantiates just the members the code uses, without exceptions.
# Optimised at link time as well: each unit of its own instantiates the same
# std::string members and specialises copies of them; across the program the
# linker keeps one (about 7 KB).
function(lean_code target)
    target_compile_options(${target} PRIVATE ${LEAN_CXX_OPTIONS})
    set_target_properties(${target} PROPERTIES CXX_STANDARD 20 INTERPROCEDURAL_OPTIMIZATION ON)
endfunction()

# lean_program(<target> GUI|CONSOLE [UNICODE]): a shipped program, linked
# statically with framework/Runtime.cpp in place of the runtime's throwing
# allocator and throw helpers; it reports such a failure in a message box
# (GUI) or on its error stream (CONSOLE). UNICODE: it starts at wmain. The
# link map lands beside the program (<target>.map): where every byte comes
# from, the program's own code as one link-time unit (ltrans).
function(lean_program target kind)
    target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/framework/Runtime.cpp)
    target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR})
    lean_code(${target})
    if(kind STREQUAL "CONSOLE")
        target_compile_definitions(${target} PRIVATE RUNTIME_CONSOLE)
    endif()
    # The start-up code without the compiler's crtbegin.o, whose only work is
    # to register unwind tables for exceptions: it looks for the runtime's
    # unwinder DLL (libgcc_s_dw2-1.dll) and loads it by its bare name.
    if("UNICODE" IN_LIST ARGN)
        target_link_options(${target} PRIVATE -nostartfiles ${LEAN_CRT2U})
    else()
        target_link_options(${target} PRIVATE -nostartfiles ${LEAN_CRT2})
    endif()
    target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++ -s -Wl,--gc-sections
                        -Wl,-Map,$<TARGET_FILE_DIR:${target}>/${target}.map)
endfunction()
