# Makes the build tree's package signing key once: cmake -DTOOL= -DKEY= -DCERT= -P keygen.cmake
if(NOT EXISTS "${KEY}" OR NOT EXISTS "${CERT}")
  execute_process(COMMAND "${TOOL}" keygen "${KEY}" "${CERT}" RESULT_VARIABLE result)
  if(result)
    message(FATAL_ERROR "zzpackage keygen failed: ${result}")
  endif()
endif()
