# DEMO_FUZZ: every library and test is built with libFuzzer's coverage instrumentation,
# AddressSanitizer and UndefinedBehaviorSanitizer, and tests/fuzz adds one libFuzzer program per
# fuzz target (fuzz_NAME). Clang only; scripts/fuzz sets it up in build-fuzz/.
if(DEMO_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang" OR NOT CMAKE_C_COMPILER_ID MATCHES "Clang")
        message(FATAL_ERROR "DEMO_FUZZ needs clang for C and C++ (-DCMAKE_C_COMPILER=clang "
                            "-DCMAKE_CXX_COMPILER=clang++)")
    endif()
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                        -fno-sanitize-recover=all)
    add_link_options(-fsanitize=address,undefined)
endif()
