# lq_delay_load(<name> DLL <file.dll> FUNCTIONS <function>...)
#
# An import library <name> for the listed functions of <file.dll> that loads the DLL at the first
# call of one of them instead of at process start. The program shows its window before it needs
# the file dialog or the notification area, and every DLL loaded before that delays the window.
# Link <name> instead of the system import library; a function missing from the list is a link
# error, so add it here.
include_guard(GLOBAL)

function(lq_delay_load name)
  cmake_parse_arguments(A "" "DLL" "FUNCTIONS" ${ARGN})
  if(NOT CMAKE_DLLTOOL)
    message(FATAL_ERROR "lq_delay_load(${name}): the toolchain has no dlltool")
  endif()
  set(dir "${CMAKE_BINARY_DIR}/delay-load")
  list(JOIN A_FUNCTIONS "\n" exports)
  file(CONFIGURE OUTPUT "${dir}/${name}.def" CONTENT "LIBRARY ${A_DLL}\nEXPORTS\n${exports}\n")
  add_custom_command(OUTPUT "${dir}/lib${name}.a"
    COMMAND ${CMAKE_DLLTOOL} --input-def "${dir}/${name}.def" --output-delaylib
      "${dir}/lib${name}.a" --dllname ${A_DLL}
    DEPENDS "${dir}/${name}.def"
    COMMENT "Delay-load import library for ${A_DLL}")
  add_custom_target(${name}_import DEPENDS "${dir}/lib${name}.a")
  add_library(${name} STATIC IMPORTED GLOBAL)
  set_target_properties(${name} PROPERTIES IMPORTED_LOCATION "${dir}/lib${name}.a")
  add_dependencies(${name} ${name}_import)
endfunction()
