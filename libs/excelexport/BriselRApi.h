// Export marker of the Brisel_R library's public names.
#pragma once

#if defined(BRISEL_R_BUILD)
#define BRISEL_R_API __attribute__((visibility("default")))
#else
#define BRISEL_R_API
#endif
