# The model libraries: the header-only ones (tinyobjloader, tinygltf with nlohmann-json, and
# stb_image; stb_image_write for the tests' pictures) as one interface target, velmora_model_libraries. Their headers come from
# Debian's packages in /usr/include (vcpkg's include folder elsewhere). The MinGW
# build must not search /usr/include, whose glibc headers would shadow MinGW's, so it
# sees a folder of links to just these headers. Either way they are system headers:
# -Werror stays on for our code, not theirs.
set(velmora_model_headers tiny_obj_loader.h tiny_gltf.h nlohmann/json.hpp stb/stb_image.h stb/stb_image_write.h)
set(velmora_header_roots)
foreach(header IN LISTS velmora_model_headers)
  string(MAKE_C_IDENTIFIER "${header}" variable)
  find_path(VELMORA_HEADER_${variable} ${header} PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH REQUIRED)
  list(APPEND velmora_header_roots ${VELMORA_HEADER_${variable}})
endforeach()
list(REMOVE_DUPLICATES velmora_header_roots)

add_library(velmora_model_libraries INTERFACE)
if(CMAKE_CROSSCOMPILING)
  set(links ${CMAKE_BINARY_DIR}/model_library_headers)
  file(MAKE_DIRECTORY ${links}/stb)
  foreach(header tiny_obj_loader.h tiny_gltf.h stb/stb_image.h stb/stb_image_write.h)
    string(MAKE_C_IDENTIFIER "${header}" variable)
    file(CREATE_LINK ${VELMORA_HEADER_${variable}}/${header} ${links}/${header} SYMBOLIC)
  endforeach()
  file(CREATE_LINK ${VELMORA_HEADER_nlohmann_json_hpp}/nlohmann ${links}/nlohmann SYMBOLIC)
  target_include_directories(velmora_model_libraries SYSTEM INTERFACE ${links})
else()
  target_include_directories(velmora_model_libraries SYSTEM INTERFACE ${velmora_header_roots})
endif()

# meshoptimizer decodes glTF's EXT_meshopt_compression buffer views: Debian's shared
# library natively, the static one tools/deps cross-builds for Windows (or vcpkg's).
find_package(meshoptimizer CONFIG REQUIRED)
target_link_libraries(velmora_model_libraries INTERFACE meshoptimizer::meshoptimizer)
