# ThreadSanitizer (clang): the threaded parts (the client's readers, writer and sender, the player's engine) are run
# under it; it cannot be combined with AddressSanitizer.
if(DVR_TSAN)
  set(_tsan -fsanitize=thread -fno-omit-frame-pointer)
  add_compile_options(${_tsan})
  add_link_options(${_tsan})
endif()

if(DVR_SANITIZE)
  set(_san -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_compile_options(${_san})
  add_link_options(${_san})
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
