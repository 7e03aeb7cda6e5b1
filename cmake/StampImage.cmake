# Appends the integrity stamp to a linked executable: cmake -DIMAGE=path -P StampImage.cmake
# The stamp is the marker "VLSTAMP1" followed by the SHA-256 digest of every byte before it, as 64
# lower-case hex digits. The exe checks it against its own file at run time.
if(NOT IMAGE)
  message(FATAL_ERROR "StampImage: IMAGE not set")
endif()
file(SHA256 "${IMAGE}" digest)
file(APPEND "${IMAGE}" "VLSTAMP1${digest}")
