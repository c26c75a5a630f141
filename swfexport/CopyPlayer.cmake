# Copies what a package needs of Ruffle's web build (scripts, WebAssembly, licences; no source
# maps, no npm files) from FROM into TO.
file(GLOB _files "${FROM}/*.js" "${FROM}/*.wasm" "${FROM}/LICENSE*")
if(NOT _files)
  message(FATAL_ERROR "Ruffle's web build is missing in ${FROM}")
endif()
file(MAKE_DIRECTORY "${TO}")
file(COPY ${_files} DESTINATION "${TO}")
