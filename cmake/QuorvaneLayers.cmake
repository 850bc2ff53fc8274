# One static library per layer. A layer lives in src/<folder> (or several
# folders), links only the layers it names in DEPENDS, and may include headers
# from those layers and the ones below them, never from a layer above: the
# include check (cmake/CheckLayers.cmake) reads the same declarations.
#
#   quorvane_layer(store [WIDGETS] [FOLDERS f...] SOURCES ... DEPENDS layer...
#                  [PUBLIC_LIBS ...] [PRIVATE_LIBS ...])
#
# The target is quorvane_<name>. Layers with WIDGETS link Qt Widgets and share
# one precompiled <QtWidgets>; the others see Qt Core only.

set_property(GLOBAL PROPERTY QUORVANE_LAYERS "")

function(quorvane_layer name)
    cmake_parse_arguments(L "WIDGETS" "" "FOLDERS;SOURCES;DEPENDS;PUBLIC_LIBS;PRIVATE_LIBS" ${ARGN})
    if(NOT L_FOLDERS)
        set(L_FOLDERS ${name})
    endif()
    set(target quorvane_${name})
    add_library(${target} STATIC ${L_SOURCES})
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    foreach(dep IN LISTS L_DEPENDS)
        target_link_libraries(${target} PUBLIC quorvane_${dep})
    endforeach()
    target_link_libraries(${target} PUBLIC ${L_PUBLIC_LIBS} PRIVATE ${L_PRIVATE_LIBS})
    if(L_WIDGETS)
        target_link_libraries(${target} PUBLIC Qt6::Widgets)
        if(TARGET quorvane_widgets_pch)
            target_precompile_headers(${target} REUSE_FROM quorvane_widgets_pch)
        endif()
    else()
        target_link_libraries(${target} PUBLIC Qt6::Core)
        target_precompile_headers(${target} PRIVATE <QString> <memory> <optional> <vector>
                                  <functional>)
    endif()

    string(REPLACE ";" "," folders "${L_FOLDERS}")
    string(REPLACE ";" "," deps "${L_DEPENDS}")
    set_property(GLOBAL APPEND PROPERTY QUORVANE_LAYERS "${name}:${folders}:${deps}")
endfunction()

# The precompiled <QtWidgets> every widget layer, test and tool above them reuses.
function(quorvane_widgets_pch)
    add_library(quorvane_widgets_pch STATIC ${PROJECT_SOURCE_DIR}/cmake/pch_anchor.cpp)
    target_link_libraries(quorvane_widgets_pch PUBLIC Qt6::Widgets)
    target_precompile_headers(quorvane_widgets_pch PRIVATE <QtWidgets> <memory> <optional> <vector>
                              <functional>)
endfunction()

# Runs the include check on every build (and again whenever a source changes).
function(quorvane_layer_check)
    get_property(layers GLOBAL PROPERTY QUORVANE_LAYERS)
    list(JOIN layers "@" layers)  # one argument, whatever the generator does with ';'
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/*.h
         ${PROJECT_SOURCE_DIR}/src/*.cpp)
    set(stamp ${PROJECT_BINARY_DIR}/layers.checked)
    set(command ${CMAKE_COMMAND} "-DLAYERS=${layers}" -DSRC=${PROJECT_SOURCE_DIR}/src)
    set(script -P ${PROJECT_SOURCE_DIR}/cmake/CheckLayers.cmake)
    add_custom_command(OUTPUT ${stamp} COMMAND ${command} ${script} COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
                       DEPENDS ${sources} ${PROJECT_SOURCE_DIR}/cmake/CheckLayers.cmake
                       COMMENT "Checking that no layer includes a layer above it" VERBATIM)
    add_custom_target(quorvane_layer_check ALL DEPENDS ${stamp})
    # Without the script, so that callers can add definitions before it.
    set(QUORVANE_LAYER_CHECK_COMMAND ${command} PARENT_SCOPE)
endfunction()
