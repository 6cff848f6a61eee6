// Whether this build runs under AddressSanitizer, which maps terabytes of address space for
// its shadow memory and so cannot start under a small address-space limit.
#pragma once

#if defined(__SANITIZE_ADDRESS__)  // GCC
#define TESSARA_TEST_ADDRESS_SANITIZER
#elif defined(__has_feature)  // Clang
#if __has_feature(address_sanitizer)
#define TESSARA_TEST_ADDRESS_SANITIZER
#endif
#endif

namespace tessara::test {

#ifdef TESSARA_TEST_ADDRESS_SANITIZER
inline constexpr bool kAddressSanitizer = true;
#else
inline constexpr bool kAddressSanitizer = false;
#endif

}  // namespace tessara::test
