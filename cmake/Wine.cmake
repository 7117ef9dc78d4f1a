# Test executables run under Wine through a small runner that uses a prefix inside the build
# folder; scripts/test.sh provides the X display and keeps one wineserver for the whole run.
set(VELMOR_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
configure_file(${CMAKE_SOURCE_DIR}/cmake/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                WORLD_READ WORLD_EXECUTE @ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)

# stdcall decorations for .def files: 32-bit names carry @<bytes of arguments>.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(VELMOR_STDCALL_0 "@0")
  set(VELMOR_STDCALL_P "@4")
  set(VELMOR_STDCALL_16 "@16")
else()
  set(VELMOR_STDCALL_0 "")
  set(VELMOR_STDCALL_P "")
  set(VELMOR_STDCALL_16 "")
endif()
# Exports undecorated names on 32-bit builds. The linker's own import library would lose the
# decorations too, so the import library is made again from the .def file by dlltool, which
# keeps the decorated symbols callers reference and binds them to the undecorated exports.
function(velmor_kill_at target def)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    target_link_options(${target} PRIVATE -Wl,--kill-at)
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${VELMOR_TRIPLE}-dlltool -k -d ${def} -D $<TARGET_FILE_NAME:${target}>
              -l $<TARGET_LINKER_FILE:${target}>
      VERBATIM)
  endif()
endfunction()

# Architecture named in the manifests' Common Controls dependency.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(VELMOR_MANIFEST_ARCH amd64)
else()
  set(VELMOR_MANIFEST_ARCH x86)
endif()
