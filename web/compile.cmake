# Compiler settings every object of the web build shares; web/CMakeLists.txt links it.

option(KESTRELIX_WEB_EXCEPTIONS "Catch the loaders' errors in the web build" ON)
option(KESTRELIX_WEB_GL_TESTING "Keep the canvas readable for the browser test" OFF)

if(KESTRELIX_WEB_EXCEPTIONS)
    # The loaders report bad data by throwing LoadError. WebAssembly's own exceptions
    # cannot be combined with ASYNCIFY, so emscripten's JavaScript-based catching it is;
    # every object must be compiled with it for a catch to see a throw.
    add_compile_options(-fexceptions)
endif()

# SDL built static only exports SDL2::SDL2-static; the game links SDL2::SDL2.
if(NOT TARGET SDL2::SDL2 AND TARGET SDL2::SDL2-static)
    add_library(SDL2::SDL2 INTERFACE IMPORTED)
    set_target_properties(SDL2::SDL2 PROPERTIES INTERFACE_LINK_LIBRARIES SDL2::SDL2-static)
endif()
