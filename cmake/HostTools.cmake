# veltharn_stamp_trailer(target word0 word1): after each link of `target`, appends the file trailer
# (word0, word1, CRC-32 of the linked file) to it with veltharn-trailer. A native build uses the
# tool it builds; a cross build compiles the tool for the host with the host's C++ compiler, since
# the tool must run here, not on Windows.
include_guard(GLOBAL)

# Standard library and zlib only, so that any host compiler can build them.
set(VELTHARN_TRAILER_SOURCES
    ${PROJECT_SOURCE_DIR}/tools/trailer/trailer_tool.cpp
    ${PROJECT_SOURCE_DIR}/launcher/update/crc32.cpp
    ${PROJECT_SOURCE_DIR}/launcher/update/crc32_clmul.cpp
    ${PROJECT_SOURCE_DIR}/launcher/update/file_trailer.cpp)

function(veltharn_host_trailer_tool out_var)
  if(NOT CMAKE_CROSSCOMPILING)
    set(${out_var} $<TARGET_FILE:veltharn-trailer> PARENT_SCOPE)
    return()
  endif()
  set(tool ${CMAKE_BINARY_DIR}/host/veltharn-trailer)
  if(NOT TARGET veltharn_host_trailer)
    find_program(VELTHARN_HOST_CXX NAMES c++ g++ clang++ REQUIRED)
    add_custom_command(
      OUTPUT ${tool}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/host
      COMMAND ${VELTHARN_HOST_CXX} -std=c++20 -O2 -I${PROJECT_SOURCE_DIR}
              ${VELTHARN_TRAILER_SOURCES} -lz -o ${tool}
      DEPENDS ${VELTHARN_TRAILER_SOURCES} ${PROJECT_SOURCE_DIR}/launcher/update/crc32.h
              ${PROJECT_SOURCE_DIR}/launcher/update/crc32_clmul.h
              ${PROJECT_SOURCE_DIR}/launcher/update/file_trailer.h
              ${PROJECT_SOURCE_DIR}/launcher/ports/file_system.h
      COMMENT "Building veltharn-trailer for the host"
      VERBATIM)
    add_custom_target(veltharn_host_trailer DEPENDS ${tool})
  endif()
  set(${out_var} ${tool} PARENT_SCOPE)
endfunction()

function(veltharn_stamp_trailer target word0 word1)
  veltharn_host_trailer_tool(tool)
  if(CMAKE_CROSSCOMPILING)
    add_dependencies(${target} veltharn_host_trailer)
  else()
    add_dependencies(${target} veltharn-trailer)
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
                     COMMAND ${tool} append $<TARGET_FILE:${target}> ${word0} ${word1}
                     COMMENT "Stamping ${target} with its trailer"
                     VERBATIM)
endfunction()
