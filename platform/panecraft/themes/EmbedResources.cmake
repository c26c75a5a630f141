# Compiles the theme module and the dialog skin file into lw_panecraft. Each file of this folder
# becomes a byte array in a generated source; the layer finds it by (module, name) at run time.
# The INI files stand for the resources of the theme module "Office2010.dll"; the skin file is a
# module of its own with no inner name. Editing a file here reconfigures and rebuilds.
set(_qorp_res_dir "${CMAKE_CURRENT_LIST_DIR}")
set(_qorp_res_entries
  "Office2010.dll|OFFICE2010BLUE.INI|OFFICE2010BLUE.INI"
  "Office2010.dll|OFFICE2010SILVER.INI|OFFICE2010SILVER.INI"
  "Office2010.dll|OFFICE2010BLACK.INI|OFFICE2010BLACK.INI"
  "Office2010.cjstyles||Office2010.cjstyles")
set(_qorp_res_out "${CMAKE_CURRENT_BINARY_DIR}/panecraft_resources.cpp")
set(_qorp_res_text "// Generated from platform/panecraft/themes by EmbedResources.cmake; do not edit.\n")
string(APPEND _qorp_res_text "#include \"${CMAKE_CURRENT_SOURCE_DIR}/theme_resources.h\"\n\nnamespace {\n")
set(_qorp_res_table "")
set(_qorp_res_n 0)
foreach(_entry IN LISTS _qorp_res_entries)
  string(REPLACE "|" ";" _parts "${_entry}")
  list(GET _parts 0 _module)
  list(GET _parts 1 _name)
  list(GET _parts 2 _file)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${_qorp_res_dir}/${_file}")
  file(READ "${_qorp_res_dir}/${_file}" _hex HEX)
  string(LENGTH "${_hex}" _hexlen)
  math(EXPR _size "${_hexlen} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," _bytes "${_hex}")
  string(APPEND _qorp_res_text "const unsigned char kData${_qorp_res_n}[] = {${_bytes}0x00};\n")
  string(APPEND _qorp_res_table "    {\"${_module}\", \"${_name}\", kData${_qorp_res_n}, ${_size}},\n")
  math(EXPR _qorp_res_n "${_qorp_res_n} + 1")
endforeach()
string(APPEND _qorp_res_text "const QorpBuiltinResource kTable[] = {\n${_qorp_res_table}};\n\n}  // namespace\n\n")
string(APPEND _qorp_res_text "const QorpBuiltinResource* QorpGetBuiltinResources(size_t* pnCount) {\n")
string(APPEND _qorp_res_text "  *pnCount = sizeof kTable / sizeof kTable[0];\n  return kTable;\n}\n")
file(CONFIGURE OUTPUT "${_qorp_res_out}" CONTENT "${_qorp_res_text}" @ONLY)
target_sources(lw_panecraft PRIVATE "${_qorp_res_out}")
