# velmor_install_tree(<target> <source dir> <dest dir>): copies a folder into dist/, converting
# .js files from the repository's UTF-8 to UTF-16LE with a byte-order mark.
function(velmor_install_tree target src dest)
  file(GLOB_RECURSE files RELATIVE ${src} CONFIGURE_DEPENDS ${src}/*)
  set(outputs)
  foreach(f ${files})
    set(out ${dest}/${f})
    if(f MATCHES "\\.js$")
      add_custom_command(OUTPUT ${out}
        COMMAND sh ${CMAKE_SOURCE_DIR}/cmake/to-utf16le.sh ${src}/${f} ${out}
        DEPENDS ${src}/${f} VERBATIM)
    else()
      add_custom_command(OUTPUT ${out}
        COMMAND ${CMAKE_COMMAND} -E copy ${src}/${f} ${out}
        DEPENDS ${src}/${f} VERBATIM)
    endif()
    list(APPEND outputs ${out})
  endforeach()
  add_custom_target(${target} ALL DEPENDS ${outputs})
endfunction()
