// Windows-style paths on POSIX, shared by the POSIX side of the seam.
#ifndef PLATFORM_POSIX_PATH_H
#define PLATFORM_POSIX_PATH_H

#include <stddef.h>

// Copies path into out with every backslash turned into a slash; false
// when it does not fit.
bool toPosixPath(const char* path, char* out, size_t size);

#endif
