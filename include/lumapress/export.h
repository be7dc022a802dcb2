#pragma once

// Marks what the shared library exports; everything else in it stays private.
#if defined(_WIN32) && defined(LUMAPRESS_SHARED)
#  if defined(LUMAPRESS_BUILDING)
#    define LUMAPRESS_API __declspec(dllexport)
#  else
#    define LUMAPRESS_API __declspec(dllimport)
#  endif
#elif defined(__GNUC__)
#  define LUMAPRESS_API __attribute__((visibility("default")))
#else
#  define LUMAPRESS_API
#endif
