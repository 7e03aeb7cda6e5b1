# The integrity stamp's layout, for StampImage.cmake, CheckStamp.cmake and SignImage.cmake.
# The stamp is VELORA_STAMP_MARKER followed by 64 lower-case hex digits: the SHA-256 of every byte before
# it with the PE header checksum and the certificate-table entry of the data directory set to zero. It
# ends the signed content: the whole file, or the bytes before the certificate table of a signed file.
# Those are exactly the parts Authenticode signing rewrites, so signing after stamping keeps it valid.
# src/driver/integrity_check.cpp checks the same layout at run time.

set(VELORA_STAMP_MARKER "VLSTAMP2")
set(VELORA_STAMP_SIZE 72)

# The little-endian number of `count` bytes at `offset` (an expression for math()); empty when the file
# ends before them.
function(velora_read_number image offset count out)
  math(EXPR offset "${offset}")
  file(READ "${image}" hex OFFSET ${offset} LIMIT ${count} HEX)
  string(LENGTH "${hex}" digits)
  math(EXPR wanted "${count} * 2")
  if(NOT digits EQUAL wanted)
    set(${out} "" PARENT_SCOPE)
    return()
  endif()
  set(reversed "")
  math(EXPR last "${count} - 1")
  foreach(i RANGE 0 ${last})
    math(EXPR at "${i} * 2")
    string(SUBSTRING "${hex}" ${at} 2 byte)
    string(PREPEND reversed "${byte}")
  endforeach()
  math(EXPR value "0x${reversed}")
  set(${out} ${value} PARENT_SCOPE)
endfunction()

function(_velora_layout_fail image why)
  message(FATAL_ERROR "${image}: ${why}")
endfunction()

# Sets <prefix>_CHECKSUM_OFFSET, <prefix>_CERT_ENTRY_OFFSET, <prefix>_SIGNED_END (where the certificate
# table starts, else the file size) and <prefix>_SIGNED. Fails on headers that are cut short or garbled,
# or a certificate entry that does not describe a table ending the file.
function(velora_signing_layout image prefix)
  file(SIZE "${image}" size)
  file(READ "${image}" mz LIMIT 2 HEX)
  velora_read_number("${image}" 60 4 peHeader)
  if(NOT mz STREQUAL "4d5a" OR peHeader STREQUAL "")
    _velora_layout_fail("${image}" "no MS-DOS header")
  endif()
  file(READ "${image}" signature OFFSET ${peHeader} LIMIT 4 HEX)
  if(NOT signature STREQUAL "50450000")
    _velora_layout_fail("${image}" "no PE signature at ${peHeader}")
  endif()
  math(EXPR optionalHeader "${peHeader} + 24")
  velora_read_number("${image}" "${peHeader} + 20" 2 optionalHeaderSize)
  velora_read_number("${image}" ${optionalHeader} 2 magic)
  if(optionalHeaderSize STREQUAL "")
    _velora_layout_fail("${image}" "the file header is cut short")
  endif()
  # PE32+ drops BaseOfData and widens five fields: its directory count and data directory sit 16 bytes on.
  if(magic STREQUAL "267")  # 0x10B
    set(countOffset 92)
  elseif(magic STREQUAL "523")  # 0x20B
    set(countOffset 108)
  else()
    _velora_layout_fail("${image}" "optional header magic '${magic}' is neither PE32 nor PE32+")
  endif()
  velora_read_number("${image}" "${optionalHeader} + ${countOffset}" 4 directoryCount)
  # Entry 4 of the directory, which follows the 4-byte count; it must lie within the declared header.
  math(EXPR entryEndInHeader "${countOffset} + 4 + 5 * 8")
  math(EXPR optionalHeaderEnd "${optionalHeader} + ${optionalHeaderSize}")
  if(directoryCount STREQUAL "" OR directoryCount LESS 5 OR entryEndInHeader GREATER optionalHeaderSize
     OR optionalHeaderEnd GREATER size)
    _velora_layout_fail("${image}" "the optional header has no certificate-table entry")
  endif()
  math(EXPR certEntry "${optionalHeader} + ${entryEndInHeader} - 8")
  velora_read_number("${image}" ${certEntry} 4 tableOffset)
  velora_read_number("${image}" "${certEntry} + 4" 4 tableSize)
  set(signedEnd ${size})
  set(signed FALSE)
  if(NOT (tableOffset EQUAL 0 AND tableSize EQUAL 0))
    math(EXPR tableEnd "${tableOffset} + ${tableSize}")
    if(tableOffset EQUAL 0 OR tableSize EQUAL 0 OR NOT tableEnd EQUAL size)
      _velora_layout_fail("${image}" "certificate table ${tableOffset}+${tableSize} does not end the file (${size})")
    endif()
    set(signedEnd ${tableOffset})
    set(signed TRUE)
  endif()
  math(EXPR checksum "${optionalHeader} + 64")
  set(${prefix}_CHECKSUM_OFFSET ${checksum} PARENT_SCOPE)
  set(${prefix}_CERT_ENTRY_OFFSET ${certEntry} PARENT_SCOPE)
  set(${prefix}_SIGNED_END ${signedEnd} PARENT_SCOPE)
  set(${prefix}_SIGNED ${signed} PARENT_SCOPE)
endfunction()

# The stamp digest of the first `end` bytes: a scratch copy with the rewritten fields zeroed, hashed.
function(velora_stamp_digest image prefix end out)
  set(scratch "${image}.digest.tmp")
  file(REMOVE "${scratch}")
  execute_process(COMMAND head -c ${end} "${image}" OUTPUT_FILE "${scratch}" RESULT_VARIABLE copied)
  execute_process(COMMAND dd if=/dev/zero "of=${scratch}" bs=1 "seek=${${prefix}_CHECKSUM_OFFSET}" count=4
                          conv=notrunc status=none RESULT_VARIABLE zeroedChecksum)
  execute_process(COMMAND dd if=/dev/zero "of=${scratch}" bs=1 "seek=${${prefix}_CERT_ENTRY_OFFSET}" count=8
                          conv=notrunc status=none RESULT_VARIABLE zeroedEntry)
  if(NOT copied EQUAL 0 OR NOT zeroedChecksum EQUAL 0 OR NOT zeroedEntry EQUAL 0)
    file(REMOVE "${scratch}")
    message(FATAL_ERROR "${image}: cannot prepare the digest's scratch copy")
  endif()
  file(SHA256 "${scratch}" digest)
  file(REMOVE "${scratch}")
  set(${out} ${digest} PARENT_SCOPE)
endfunction()

# Fails unless the stamp at the end of the signed content matches its digest.
function(velora_check_stamp image)
  velora_signing_layout("${image}" layout)
  math(EXPR stampOffset "${layout_SIGNED_END} - ${VELORA_STAMP_SIZE}")
  math(EXPR headerFieldsEnd "${layout_CERT_ENTRY_OFFSET} + 8")
  if(stampOffset LESS headerFieldsEnd)
    message(FATAL_ERROR "${image} is too short to carry an integrity stamp")
  endif()
  file(READ "${image}" stamp OFFSET ${stampOffset} LIMIT ${VELORA_STAMP_SIZE})
  string(SUBSTRING "${stamp}" 0 8 marker)
  string(SUBSTRING "${stamp}" 8 64 stamped)
  if(NOT marker STREQUAL VELORA_STAMP_MARKER)
    message(FATAL_ERROR "${image} carries no integrity stamp at ${stampOffset}")
  endif()
  velora_stamp_digest("${image}" layout ${stampOffset} actual)
  if(NOT actual STREQUAL stamped)
    message(FATAL_ERROR "${image}: stamp ${stamped} does not match the image digest ${actual}")
  endif()
  message(STATUS "${image}: stamp matches (${actual}, signed: ${layout_SIGNED})")
endfunction()
