# Delay-loading for the program's executable: a DLL named here is loaded at the
# first call into it instead of before the program's first line runs. Start-up then waits only
# for what the window needs; the spooler (which reaches CUPS under Wine) is loaded by the thread
# that reads the printers, and the shell and COM when a command first needs them.
#
# tavrolin_delay_load(<target> <import library>=<dll> ...)
#
# MSVC's linker does this itself (/DELAYLOAD). For MinGW-w64, each delay-import library is made
# with dlltool from the list of functions in the toolchain's own import library, so every
# function stays reachable. Only functions may be delay-loaded;
# none of these DLLs export data that the program uses.
find_program(TAVROLIN_DLLTOOL NAMES ${TOOLCHAIN_PREFIX}-dlltool dlltool)
find_program(TAVROLIN_NM NAMES ${TOOLCHAIN_PREFIX}-nm nm)

function(tavrolin_delay_load target)
  if(MSVC)
    # The linker does it itself, with the helper from delayimp.lib.
    foreach(entry ${ARGN})
      string(REGEX REPLACE "^[^=]*=" "" dll ${entry})
      target_link_options(${target} PRIVATE /DELAYLOAD:${dll})
    endforeach()
    target_link_libraries(${target} PRIVATE delayimp)
    return()
  endif()
  if(NOT MINGW OR NOT TAVROLIN_DLLTOOL OR NOT TAVROLIN_NM)
    return()  # the DLLs are loaded at start, as they are without this
  endif()
  set(dir ${CMAKE_BINARY_DIR}/delayload)
  foreach(entry ${ARGN})
    string(REPLACE "=" ";" parts ${entry})
    list(GET parts 0 name)
    list(GET parts 1 dll)
    find_library(import_${name} NAMES lib${name}.a REQUIRED)
    set(def ${dir}/${name}.def)
    set(lib ${dir}/lib${name}_delay.a)
    add_custom_command(OUTPUT ${lib}
      COMMAND ${CMAKE_COMMAND} -DNM=${TAVROLIN_NM} -DIMPORT_LIB=${import_${name}} -DDLL=${dll} -DDEF=${def}
              -P ${CMAKE_SOURCE_DIR}/cmake/import_def.cmake
      COMMAND ${TAVROLIN_DLLTOOL} -d ${def} -y ${lib} -D ${dll}
      DEPENDS ${import_${name}} ${CMAKE_SOURCE_DIR}/cmake/import_def.cmake
      COMMENT "Delay-import library for ${dll}")
    add_custom_target(${target}_delay_${name} DEPENDS ${lib})
    add_dependencies(${target} ${target}_delay_${name})
    # After the program's own code, before the ordinary import libraries: the linker takes
    # every function of these DLLs from here.
    target_link_libraries(${target} PRIVATE ${lib})
  endforeach()
endfunction()
