# Helpers shared by the project's CMake files.

# A static library of the project, with the project's warnings and include root.
function(velmora_add_library name)
  add_library(${name} STATIC ${ARGN})
  target_compile_options(${name} PRIVATE ${VELMORA_WARNINGS})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  if(WIN32)
    target_compile_definitions(${name} PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
  endif()
endfunction()

# A C++ source, generated at build time, that holds the bytes of `input` as
# `SYMBOL[]` and `SYMBOLSize`; its path is returned in `output_variable`.
function(velmora_embed_bytes output_variable input symbol)
  set(output ${CMAKE_CURRENT_BINARY_DIR}/${symbol}_bytes.cpp)
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -DINPUT=${input} -DOUTPUT=${output} -DSYMBOL=${symbol}
            -P ${PROJECT_SOURCE_DIR}/cmake/embed_bytes.cmake
    DEPENDS ${input} ${PROJECT_SOURCE_DIR}/cmake/embed_bytes.cmake
    VERBATIM)
  set(${output_variable} ${output} PARENT_SCOPE)
endfunction()

set(VELMORA_SANITIZE_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)

# A library of portable code (with the platform side of its seams). The unit tests
# link every such library; natively a twin "<name>_sanitized" is built from the same
# sources under ASan and UBSan for the sanitized unit tests.
#   velmora_portable_library(name SOURCES a.cpp ... [DEPENDS lib ...] [LIBRARIES system-lib ...])
function(velmora_portable_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS;LIBRARIES" ${ARGN})
  velmora_add_library(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PUBLIC ${ARG_DEPENDS} ${ARG_LIBRARIES})
  set_property(GLOBAL APPEND PROPERTY VELMORA_PORTABLE_LIBRARIES ${name})
  if(NOT WIN32 AND VELMORA_SANITIZED_TESTS)
    velmora_add_library(${name}_sanitized ${ARG_SOURCES})
    target_compile_options(${name}_sanitized PRIVATE ${VELMORA_SANITIZE_FLAGS})
    target_link_options(${name}_sanitized PUBLIC ${VELMORA_SANITIZE_FLAGS})
    list(TRANSFORM ARG_DEPENDS APPEND _sanitized OUTPUT_VARIABLE sanitized_depends)
    target_link_libraries(${name}_sanitized PUBLIC ${sanitized_depends} ${ARG_LIBRARIES})
  endif()
endfunction()

# A GoogleTest executable of the project.
function(velmora_add_test_executable name)
  add_executable(${name} ${ARGN})
  target_compile_options(${name} PRIVATE ${VELMORA_WARNINGS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE GTest::gtest GTest::gtest_main)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
endfunction()
