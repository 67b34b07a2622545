# Runs the asset generator twice into two fresh folders and fails unless both
# hold the same files with the same bytes.
#   cmake -DGENERATOR=path/to/kvassetgen -DWORK_DIR=scratch -P compareRuns.cmake
# The second run stands in for another machine: it hides the processor's
# fused multiply-add and AVX2 from the C library (which then picks other
# implementations of exp, sin, pow...) and turns off libjpeg-turbo's SIMD code.
file(REMOVE_RECURSE ${WORK_DIR})
execute_process(COMMAND ${GENERATOR} ${WORK_DIR}/a RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "first generator run failed: ${status}")
endif()
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env "GLIBC_TUNABLES=glibc.cpu.hwcaps=-AVX2,-FMA,-FMA4,-AVX512F"
          JSIMD_FORCENONE=1 ${GENERATOR} ${WORK_DIR}/b
  RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "second generator run failed: ${status}")
endif()

file(GLOB_RECURSE filesA RELATIVE ${WORK_DIR}/a ${WORK_DIR}/a/*)
file(GLOB_RECURSE filesB RELATIVE ${WORK_DIR}/b ${WORK_DIR}/b/*)
list(SORT filesA)
list(SORT filesB)
if(NOT filesA STREQUAL filesB)
  message(FATAL_ERROR "the two runs wrote different sets of files")
endif()
list(LENGTH filesA count)
if(count LESS 100)
  message(FATAL_ERROR "only ${count} files written")
endif()
foreach(f ${filesA})
  file(SHA256 ${WORK_DIR}/a/${f} hashA)
  file(SHA256 ${WORK_DIR}/b/${f} hashB)
  if(NOT hashA STREQUAL hashB)
    message(FATAL_ERROR "${f} differs between two runs")
  endif()
endforeach()
message(STATUS "${count} files identical in both runs")
file(REMOVE_RECURSE ${WORK_DIR})
