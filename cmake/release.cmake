# Assembles the folder a Windows user downloads, and its zip (run with -P):
#
#   cmake -DPROGRAM_DIR=<bin> -DRELEASE_DIR=<out> -DSTRIP=<strip> -DVERSION=<v> -P release.cmake
#
# <out>/mirune2000/ gets exactly the files setup copies and setup itself, the
# programs without their symbols; <out>/mirune2000-<v>.zip holds that folder.
foreach(var PROGRAM_DIR RELEASE_DIR STRIP VERSION)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "release.cmake: ${var} is not set")
  endif()
endforeach()

set(files setup.exe vorta.exe vorta.hlp vorta.cnt readme.txt uninst.exe)
set(folder ${RELEASE_DIR}/mirune2000)
set(zip ${RELEASE_DIR}/mirune2000-${VERSION}.zip)

file(REMOVE_RECURSE ${folder})
file(REMOVE ${zip})
file(MAKE_DIRECTORY ${folder})
foreach(name IN LISTS files)
  if(NOT EXISTS ${PROGRAM_DIR}/${name})
    message(FATAL_ERROR "release.cmake: ${PROGRAM_DIR}/${name} is missing")
  endif()
  if(name MATCHES "\\.exe$")
    execute_process(COMMAND ${STRIP} --strip-all -o ${folder}/${name} ${PROGRAM_DIR}/${name}
                    RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "release.cmake: stripping ${name} failed")
    endif()
  else()
    file(COPY_FILE ${PROGRAM_DIR}/${name} ${folder}/${name})
  endif()
endforeach()

# Stored with the folder's name in front, as "mirune2000/setup.exe".
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip -- mirune2000
                WORKING_DIRECTORY ${RELEASE_DIR} RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "release.cmake: writing ${zip} failed")
endif()
message(STATUS "Release folder: ${folder}")
message(STATUS "Release zip:    ${zip}")
