# Reads the compiler's dependency files of one target (paths in them relative to BASE, where the compiler ran) and fails when any
# object depends on a file under FORBIDDEN.
file(GLOB_RECURSE depfiles ${OBJECTS}/*.d)
foreach(depfile IN LISTS depfiles)
    file(READ ${depfile} content)
    # Only paths that could spell the forbidden folder are worth resolving.
    get_filename_component(forbidden_name ${FORBIDDEN} NAME)
    string(REGEX MATCHALL "[^ \t\r\n\\\\:]*${forbidden_name}[^ \t\r\n\\\\:]*" candidates "${content}")
    foreach(candidate IN LISTS candidates)
        get_filename_component(real ${candidate} REALPATH BASE_DIR ${BASE})
        string(FIND "${real}" "${FORBIDDEN}/" at)
        if(at EQUAL 0)
            string(REGEX REPLACE "\\.d$" "" object ${depfile})
            message(FATAL_ERROR "${TARGET}: ${object} includes ${real}, "
                                "a header of the layer above; layers include only downwards.")
        endif()
    endforeach()
endforeach()
