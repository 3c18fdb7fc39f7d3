# The fuzz targets, built either for libFuzzer (fuzz/CMakeLists.txt, clang) or with the
# standalone driver that replays files (tests/fuzz, any compiler). Each target is one
# source file with LLVMFuzzerTestOneInput and the library it exercises.
set(KESTRELIX_FUZZ_TARGETS ini tilemap sprite font bmp character)
set(KESTRELIX_FUZZ_DIR ${CMAKE_CURRENT_LIST_DIR})

function(kestrelix_fuzz_libraries name out)
    if(name STREQUAL "ini")
        set(${out} kestrelix_config PARENT_SCOPE)
    elseif(name STREQUAL "tilemap")
        set(${out} kestrelix_world PARENT_SCOPE)
    elseif(name STREQUAL "sprite" OR name STREQUAL "font")
        set(${out} kestrelix_gfx PARENT_SCOPE)
    elseif(name STREQUAL "bmp")
        set(${out} kestrelix_engine PARENT_SCOPE)
    else()
        set(${out} kestrelix_states PARENT_SCOPE)
    endif()
endfunction()

if(NOT TARGET kestrelix_fuzz_support)
    # The checking video service, the input replay and the level checks; the soak test
    # uses them too.
    add_library(kestrelix_fuzz_support STATIC
        ${KESTRELIX_FUZZ_DIR}/fuzzsupport.cpp
        ${KESTRELIX_FUZZ_DIR}/levelchecks.cpp)
    target_include_directories(kestrelix_fuzz_support PUBLIC ${KESTRELIX_FUZZ_DIR})
    target_link_libraries(kestrelix_fuzz_support PUBLIC kestrelix_states kestrelix_video
        kestrelix_config PRIVATE kestrelix_warnings)
endif()

# driver: "libfuzzer" makes fuzz_<name>; "standalone" makes fuzzcorpus_<name>.
function(kestrelix_fuzz_targets driver)
    foreach(name ${KESTRELIX_FUZZ_TARGETS})
        kestrelix_fuzz_libraries(${name} libraries)
        if(driver STREQUAL "libfuzzer")
            set(target fuzz_${name})
            add_executable(${target} ${KESTRELIX_FUZZ_DIR}/${name}.cpp)
            target_link_options(${target} PRIVATE -fsanitize=fuzzer)
        else()
            set(target fuzzcorpus_${name})
            add_executable(${target} ${KESTRELIX_FUZZ_DIR}/${name}.cpp
                ${KESTRELIX_FUZZ_DIR}/standalone_main.cpp)
        endif()
        target_link_libraries(${target} PRIVATE kestrelix_fuzz_support ${libraries}
            kestrelix_warnings)
    endforeach()
endfunction()
