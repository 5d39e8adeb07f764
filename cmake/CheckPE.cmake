# Checks a Windows executable the way a release needs it: the right PE format for its target,
# the right subsystem and only system DLLs imported (the C++ runtime linked in). Run in script
# mode:
#   cmake -DOBJDUMP=... -DEXE=... -DFORMAT=pei-i386 -DSUBSYSTEM=3 -P CheckPE.cmake
execute_process(COMMAND ${OBJDUMP} -p ${EXE} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${OBJDUMP} could not read ${EXE}")
endif()
if(NOT dump MATCHES "file format ${FORMAT}\n")
  message(FATAL_ERROR "${EXE} is not of format ${FORMAT}")
endif()
if(NOT dump MATCHES "Subsystem[\t ]+0000000${SUBSYSTEM}")
  message(FATAL_ERROR "${EXE} is not of subsystem ${SUBSYSTEM}")
endif()
string(REGEX MATCHALL "DLL Name: [^\n]+" dlls "${dump}")
foreach(dll IN LISTS dlls)
  if(dll MATCHES "libstdc|libgcc|libwinpthread")
    message(FATAL_ERROR "${EXE} needs a MinGW runtime DLL: ${dll}")
  endif()
endforeach()
message(STATUS "${EXE}: ${FORMAT}, subsystem ${SUBSYSTEM}, system DLLs only")
