# Compiler settings every object of the web build shares; web/CMakeLists.txt links it.

option(KESTRELIX_WEB_EXCEPTIONS "Catch the loaders' errors in the web build" ON)
option(KESTRELIX_WEB_GL_TESTING "Keep the canvas readable for the browser test" OFF)

if(KESTRELIX_WEB_EXCEPTIONS)
    # The loaders report bad data by throwing LoadError. WebAssembly's own exceptions
    # cannot be combined with ASYNCIFY, so emscripten's JavaScript-based catching it is;
    # every object must be compiled with it for a catch to see a throw.
    add_compile_options(-fexceptions)
endif()

# SDL and SDL_mixer built static only export SDL2::SDL2-static and
# SDL2_mixer::SDL2_mixer-static; the game links the plain names.
if(NOT TARGET SDL2::SDL2 AND TARGET SDL2::SDL2-static)
    add_library(SDL2::SDL2 INTERFACE IMPORTED)
    set_target_properties(SDL2::SDL2 PROPERTIES INTERFACE_LINK_LIBRARIES SDL2::SDL2-static)
endif()
find_package(SDL2_mixer REQUIRED)
if(NOT TARGET SDL2_mixer::SDL2_mixer AND TARGET SDL2_mixer::SDL2_mixer-static)
    add_library(SDL2_mixer::SDL2_mixer INTERFACE IMPORTED)
    set_target_properties(SDL2_mixer::SDL2_mixer PROPERTIES
        INTERFACE_LINK_LIBRARIES SDL2_mixer::SDL2_mixer-static)
endif()
