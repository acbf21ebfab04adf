if(DVR_SANITIZE)
  set(_san -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_compile_options(${_san})
  add_link_options(${_san})
endif()
# ThreadSanitizer for the code that shares data between threads (the player's engine).
if(DVR_SANITIZE_THREAD)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()

# libFuzzer targets: clang's -fsanitize=fuzzer plus ASan/UBSan. The libraries they test get the
# fuzzer's coverage instrumentation too, or the fuzzer would see only the target's own code.
if(DVR_BUILD_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
function(dvr_add_fuzzer name)
  add_executable(${name} ${ARGN})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
endfunction()
