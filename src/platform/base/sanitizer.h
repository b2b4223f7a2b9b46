// NIGHTWISP_UNDER_ASAN is defined when this build runs under AddressSanitizer, whose shadow
// memory takes terabytes of address space: an address-space limit cannot be set under it.
#pragma once

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define NIGHTWISP_UNDER_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) && !defined(NIGHTWISP_UNDER_ASAN)
#define NIGHTWISP_UNDER_ASAN 1
#endif
