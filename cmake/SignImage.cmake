# Signs a stamped executable in place with osslsigncode (Authenticode, SHA-256):
#   cmake -DIMAGE=path -DOSSLSIGNCODE=path (-DCERT=cert.pem -DKEY=key.pem | -DPKCS12=file.p12)
#         [-DTIMESTAMP_URL=url] -P SignImage.cmake
# The password of the key or the PKCS#12 file, when it has one, comes from the environment variable
# VELORA_SIGN_PASSWORD and reaches osslsigncode through a file only its owner can read, removed at once:
# it never appears on a command line or in the CMake cache. Afterwards the stamp must still match.
include(${CMAKE_CURRENT_LIST_DIR}/ImageStamp.cmake)
if(NOT IMAGE OR NOT OSSLSIGNCODE)
  message(FATAL_ERROR "SignImage: IMAGE and OSSLSIGNCODE must be set")
endif()

set(command "${OSSLSIGNCODE}" sign)
if(PKCS12)
  list(APPEND command -pkcs12 "${PKCS12}")
elseif(CERT AND KEY)
  list(APPEND command -certs "${CERT}" -key "${KEY}")
else()
  message(FATAL_ERROR "SignImage: give PKCS12, or CERT and KEY")
endif()

set(passFile "${IMAGE}.pass.tmp")
file(REMOVE "${passFile}")
if(DEFINED ENV{VELORA_SIGN_PASSWORD})
  # Restrict the file before the password goes in; file(WRITE) keeps an existing file's mode.
  file(TOUCH "${passFile}")
  file(CHMOD "${passFile}" PERMISSIONS OWNER_READ OWNER_WRITE)
  file(WRITE "${passFile}" "$ENV{VELORA_SIGN_PASSWORD}")
  list(APPEND command -readpass "${passFile}")
endif()
list(APPEND command -h sha256)
if(TIMESTAMP_URL)
  list(APPEND command -ts "${TIMESTAMP_URL}")
endif()

set(signed "${IMAGE}.signed.tmp")
file(REMOVE "${signed}")
execute_process(COMMAND ${command} -in "${IMAGE}" -out "${signed}" RESULT_VARIABLE result
                OUTPUT_VARIABLE output ERROR_VARIABLE output)
file(REMOVE "${passFile}")
if(NOT result EQUAL 0)
  file(REMOVE "${signed}")
  message(FATAL_ERROR "osslsigncode could not sign ${IMAGE} (${result}):\n${output}")
endif()
# osslsigncode writes a new file with the default mode: give it back the program's.
file(CHMOD "${signed}" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                   WORLD_READ WORLD_EXECUTE)
file(RENAME "${signed}" "${IMAGE}")
velora_check_stamp("${IMAGE}")
