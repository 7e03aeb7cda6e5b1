# Checks the integrity stamp of an executable, signed or not: cmake -DIMAGE=path -P CheckStamp.cmake
include(${CMAKE_CURRENT_LIST_DIR}/ImageStamp.cmake)
if(NOT IMAGE)
  message(FATAL_ERROR "CheckStamp: IMAGE not set")
endif()
velora_check_stamp("${IMAGE}")
