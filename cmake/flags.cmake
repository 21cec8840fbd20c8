# Compiler flags shared by every target.
#
# No fast-math and no contraction anywhere: every fused multiply-add is
# written explicitly, so results do not depend on the compiler's choices.
add_compile_options(
  -Wall -Wextra -Wno-unused-parameter
  -ffp-contract=off
  -fno-fast-math
)
if(CMAKE_BUILD_TYPE STREQUAL "Release")
  add_compile_options(-O2)
endif()

if(TVML_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# ThreadSanitizer cannot be combined with AddressSanitizer.  The OpenMP
# runtime is not instrumented, so its barriers are invisible to the
# sanitizer and every test that opens an OpenMP region reports false races:
# run the tests with OMP_NUM_THREADS=1 (the parallel frame then opens no
# region) or only those that use plain threads.
if(TVML_SANITIZE_THREAD)
  if(TVML_SANITIZE)
    message(FATAL_ERROR "TVML_SANITIZE and TVML_SANITIZE_THREAD exclude each other")
  endif()
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()

# Flags of the tuned kernels (AVX2 and FMA); everything else is baseline x86-64.
set(TVML_AVX2_FLAGS -mavx2 -mfma)
set(TVML_AVX_FLAGS -mavx)

# Library code needs no C++ runtime: no exceptions, no RTTI.
set(TVML_LIBRARY_CXX_FLAGS $<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions> $<$<COMPILE_LANGUAGE:CXX>:-fno-rtti>)
