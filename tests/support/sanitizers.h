#pragma once
// VISTREL_ASAN is defined when the tests are built with AddressSanitizer (GCC or clang), whose
// shadow memory makes memory-limit checks meaningless.

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VISTREL_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define VISTREL_ASAN 1
#endif
