# Layers of the program, bottom to top. A layer's target publishes only its
# own headers, through a folder of links in the build tree, so a layer sees
# the headers of the layers it links and no others: an include of a higher
# layer fails to compile. Two checks after each build close the ways round
# that a quoted include leaves open (a relative path resolves beside the
# including file) and a forward declaration would leave (a symbol defined
# above, named below).

set(ZENTREL_LAYER_ROOT ${CMAKE_BINARY_DIR}/layers)
set(ZENTREL_TOP_LAYER_DIR ${PROJECT_SOURCE_DIR}/src/app)

# zentrel_layer_headers(<target> <folder> <header>...)
# Publishes headers of the current source folder as "<folder>/<header>".
function(zentrel_layer_headers target folder)
    set(root ${ZENTREL_LAYER_ROOT}/${target})
    file(MAKE_DIRECTORY ${root}/${folder})
    foreach(header IN LISTS ARGN)
        file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR}/${header} ${root}/${folder}/${header} SYMBOLIC)
    endforeach()
    target_include_directories(${target} PUBLIC ${root})
endfunction()

# zentrel_layer_sources(<target> <file>...)
# Adds sources and publishes the headers among them.
function(zentrel_layer_sources target)
    target_sources(${target} PRIVATE ${ARGN})
    list(FILTER ARGN INCLUDE REGEX "\\.h$")
    get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
    zentrel_layer_headers(${target} ${folder} ${ARGN})
endfunction()

# zentrel_below_top_layer(<target>...)
# After each build of these targets, refuses any object that read a header of
# the top layer, by whatever path the include was spelt.
function(zentrel_below_top_layer)
    # Ninja folds the compiler's dependency files into a log of its own; the
    # dev preset, built by make, carries this check.
    if(NOT CMAKE_GENERATOR MATCHES "Makefiles")
        return()
    endif()
    foreach(target IN LISTS ARGN)
        get_target_property(binary_dir ${target} BINARY_DIR)
        add_custom_command(TARGET ${target} POST_BUILD
            COMMAND ${CMAKE_COMMAND} -DOBJECTS=${binary_dir}/CMakeFiles/${target}.dir
                    -DBASE=${binary_dir} -DFORBIDDEN=${ZENTREL_TOP_LAYER_DIR}
                    -DTARGET=${target}
                    -P ${PROJECT_SOURCE_DIR}/cmake/CheckLayerIncludes.cmake
            VERBATIM)
    endforeach()
endfunction()

# zentrel_top_layer(<top> <lower>...)
# After each build of the top layer, refuses a lower layer that uses a symbol
# the top layer defines.
function(zentrel_top_layer top)
    set(lower_files)
    foreach(target IN LISTS ARGN)
        list(APPEND lower_files $<TARGET_FILE:${target}>)
    endforeach()
    add_custom_command(TARGET ${top} POST_BUILD
        COMMAND ${PROJECT_SOURCE_DIR}/cmake/check-layer-symbols.sh ${CMAKE_NM} $<TARGET_FILE:${top}>
                ${lower_files}
        VERBATIM)
endfunction()
