# Appends the integrity stamp to a linked executable: cmake -DIMAGE=path -P StampImage.cmake
# ImageStamp.cmake describes the stamp. Sign after this step, never before.
include(${CMAKE_CURRENT_LIST_DIR}/ImageStamp.cmake)
if(NOT IMAGE)
  message(FATAL_ERROR "StampImage: IMAGE not set")
endif()
velora_signing_layout("${IMAGE}" layout)
if(layout_SIGNED)
  message(FATAL_ERROR "${IMAGE} is signed already: stamp it first, then sign")
endif()
# Signing tools pad the file to a multiple of 8 bytes before they append the certificate table; the
# stamp (72 bytes) then would no longer be the last signed bytes. Pad here, inside the digest, instead.
file(SIZE "${IMAGE}" size)
math(EXPR aligned "(${size} + 7) / 8 * 8")
if(NOT aligned EQUAL size)
  execute_process(COMMAND truncate -s ${aligned} "${IMAGE}" RESULT_VARIABLE padded)
  if(NOT padded EQUAL 0)
    message(FATAL_ERROR "${IMAGE}: cannot pad to ${aligned} bytes")
  endif()
endif()
velora_stamp_digest("${IMAGE}" layout ${aligned} digest)
file(APPEND "${IMAGE}" "${VELORA_STAMP_MARKER}${digest}")
