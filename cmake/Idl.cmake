# velmor_idl(<name> <idl file> [DEPENDS files...]): runs widl for the target's bitness and
# produces <name>_h.h, <name>_i.c and <name>.tlb in ${CMAKE_CURRENT_BINARY_DIR}/idl.
find_program(VELMOR_WIDL_EXE NAMES ${VELMOR_WIDL} REQUIRED)
set(VELMOR_WINE_IDL_DIR /usr/include/wine/wine/windows)
# stdole2.tlb for importlib; the library is only read for references, so one bitness serves both.
set(VELMOR_WINE_TLB_DIR /usr/lib/x86_64-linux-gnu/wine/x86_64-windows)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(VELMOR_WIDL_DEFS -D_WIN64)
else()
  set(VELMOR_WIDL_DEFS)
endif()

function(velmor_idl name idl)
  cmake_parse_arguments(ARG "" "" "DEPENDS;INCLUDES" ${ARGN})
  set(out ${CMAKE_CURRENT_BINARY_DIR}/idl)
  file(MAKE_DIRECTORY ${out})
  set(incs -I ${VELMOR_WINE_IDL_DIR} -L ${VELMOR_WINE_TLB_DIR})
  foreach(i ${ARG_INCLUDES})
    list(APPEND incs -I ${i})
  endforeach()
  add_custom_command(
    OUTPUT ${out}/${name}_h.h ${out}/${name}_i.c ${out}/${name}.tlb
    COMMAND ${VELMOR_WIDL_EXE} ${VELMOR_WIDL_BITS} ${VELMOR_WIDL_DEFS} ${incs}
            -h -H ${out}/${name}_h.h -u -U ${out}/${name}_i.c -t -T ${out}/${name}.tlb
            ${CMAKE_CURRENT_SOURCE_DIR}/${idl}
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${idl} ${ARG_DEPENDS}
    COMMENT "widl ${idl}"
    VERBATIM)
  add_custom_target(${name}_idl DEPENDS ${out}/${name}_h.h ${out}/${name}_i.c ${out}/${name}.tlb)
  set(${name}_IDL_DIR ${out} PARENT_SCOPE)
endfunction()
