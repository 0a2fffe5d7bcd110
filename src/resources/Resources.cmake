# The resource script and the files it pulls in. windres looks for resource.h, the manifest and
# the icons through the include path, so every target compiling the script gets this folder on it.
set(VARISTEP_RESOURCE_DIR ${CMAKE_CURRENT_LIST_DIR} CACHE INTERNAL "resource folder")
set(VARISTEP_RC ${CMAKE_CURRENT_LIST_DIR}/varistep.rc CACHE INTERNAL "resource script")

# The manifest names the target's architecture: comctl32 6 refuses to load for a 64-bit program
# whose manifest says x86.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(VS_MANIFEST_ARCH amd64)
else()
  set(VS_MANIFEST_ARCH x86)
endif()
set(VARISTEP_MANIFEST_DIR ${CMAKE_BINARY_DIR}/resources CACHE INTERNAL "generated manifest folder")
configure_file(${CMAKE_CURRENT_LIST_DIR}/varistep.manifest.in
               ${VARISTEP_MANIFEST_DIR}/varistep.manifest @ONLY)

# Compiles the resource script into an executable: vs_add_resources(<target>).
function(vs_add_resources target)
  target_sources(${target} PRIVATE ${VARISTEP_RC})
  target_include_directories(${target} PRIVATE ${VARISTEP_MANIFEST_DIR} ${VARISTEP_RESOURCE_DIR})
  file(GLOB icons ${VARISTEP_RESOURCE_DIR}/icons/*.ico)
  set_source_files_properties(
    ${VARISTEP_RC} TARGET_DIRECTORY ${target}
    PROPERTIES OBJECT_DEPENDS "${VARISTEP_RESOURCE_DIR}/resource.h;${VARISTEP_MANIFEST_DIR}/varistep.manifest;${icons}")
endfunction()
