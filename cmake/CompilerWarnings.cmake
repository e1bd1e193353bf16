# One set of warnings for every target of ours; third-party code keeps its own flags.
add_library(veltharn_options INTERFACE)
target_compile_options(veltharn_options INTERFACE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                                                  -Wno-sign-conversion)
if(VELTHARN_SANITIZE)
  target_compile_options(veltharn_options INTERFACE -fsanitize=address,undefined
                                                    -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(veltharn_options INTERFACE -fsanitize=address,undefined)
endif()
if(WIN32)
  # ANSI Win32 functions throughout, as the product's interfaces are ANSI.
  target_compile_definitions(veltharn_options INTERFACE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0501)
endif()
