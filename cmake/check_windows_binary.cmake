# Checks a Windows program right after it is linked: a GUI program of the expected PE kind that
# imports from no DLL outside the allowed list and carries no manifest asking for an execution
# level. Prints its size, what it imports, and fails the build on any breach.
#
#   cmake -DBINARY=<exe> -DOBJDUMP=<objdump> -DPE_KIND=<PE32|PE32+> -DALLOWED_DLLS=<a;b;...>
#         -P check_windows_binary.cmake

cmake_minimum_required(VERSION 3.20)

foreach(required BINARY OBJDUMP PE_KIND ALLOWED_DLLS)
  if(NOT DEFINED ${required})
    message(FATAL_ERROR "check_windows_binary: ${required} not given")
  endif()
endforeach()

execute_process(COMMAND ${OBJDUMP} -p ${BINARY} OUTPUT_VARIABLE headers RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "check_windows_binary: ${OBJDUMP} -p ${BINARY} failed")
endif()

get_filename_component(name ${BINARY} NAME)
set(problems "")

string(REPLACE "+" "\\+" kind "${PE_KIND}")
if(NOT headers MATCHES "Magic[ \t]+[0-9a-fA-F]+[ \t]+\\(${kind}\\)")
  string(APPEND problems "\n  not a ${PE_KIND} image")
endif()
if(NOT headers MATCHES "Subsystem[ \t]+0+2[ \t]")
  string(APPEND problems "\n  not a Windows GUI program (subsystem 2)")
endif()

string(REGEX MATCHALL "DLL Name: [^\r\n]+" imports "${headers}")
string(TOUPPER "${ALLOWED_DLLS}" allowed)
set(imported "")
foreach(line ${imports})
  string(REPLACE "DLL Name: " "" dll "${line}")
  string(STRIP "${dll}" dll)
  list(APPEND imported ${dll})
  string(TOUPPER "${dll}" upper)
  if(NOT upper IN_LIST allowed)
    string(APPEND problems "\n  imports ${dll}, which is not one of ${ALLOWED_DLLS}")
  endif()
endforeach()

# A manifest is plain text inside the resource section, so a byte search finds it.
file(STRINGS ${BINARY} levels REGEX "requestedExecutionLevel")
if(levels)
  string(APPEND problems "\n  carries a manifest with requestedExecutionLevel")
endif()

file(SIZE ${BINARY} size)
message(STATUS "${name}: ${size} bytes, imports ${imported}")
if(problems)
  message(FATAL_ERROR "${name}:${problems}")
endif()
