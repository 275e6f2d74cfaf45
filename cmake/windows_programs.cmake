# Settings of the Windows deliverables: version resources and the check that runs after each link.

enable_language(RC)

# The DLLs a Windows program of ours may import: the system's own and the C runtime msvcrt.
set(TARNBECK_ALLOWED_DLLS KERNEL32.dll USER32.dll ADVAPI32.dll SHLWAPI.dll msvcrt.dll)

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(TARNBECK_PE_KIND "PE32+")
else()
  set(TARNBECK_PE_KIND "PE32")
endif()

# After each link of `target`, checks it with check_windows_binary.cmake against the DLLs given
# (TARNBECK_ALLOWED_DLLS when none are).
function(tarnbeck_check_windows_program target)
  set(allowed ${ARGN})
  if(NOT allowed)
    set(allowed ${TARNBECK_ALLOWED_DLLS})
  endif()
  string(REPLACE ";" "\\;" allowed "${allowed}")
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DBINARY=$<TARGET_FILE:${target}> -DOBJDUMP=${CMAKE_OBJDUMP}
            -DPE_KIND=${TARNBECK_PE_KIND} -DALLOWED_DLLS=${allowed}
            -P ${CMAKE_SOURCE_DIR}/cmake/check_windows_binary.cmake
    VERBATIM)
endfunction()
