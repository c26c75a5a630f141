# Compiles the stamp artwork into a target: make_stamps draws every stamp of stamps.txt with the
# core object library and writes the serialized streams as byte arrays into a generated source.
# Editing stamps.txt or the generator rebuilds it.
function(lw_embed_stamps TARGET)
  set(_dir "${PROJECT_SOURCE_DIR}/resources/stamps")
  if(NOT TARGET make_stamps)
    add_executable(make_stamps "${_dir}/make_stamps.cpp")
    target_link_libraries(make_stamps PRIVATE VectorloomV)
  endif()
  set(_out "${CMAKE_CURRENT_BINARY_DIR}/stamp_artwork.cpp")
  add_custom_command(OUTPUT "${_out}"
                     COMMAND make_stamps "${_dir}/stamps.txt" "${_out}"
                     DEPENDS make_stamps "${_dir}/stamps.txt"
                     COMMENT "Drawing the stamps")
  target_sources(${TARGET} PRIVATE "${_out}")
  target_include_directories(${TARGET} PUBLIC "${_dir}")
endfunction()
