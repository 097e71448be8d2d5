#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The file's last modification time in whole seconds since 1970 (clamped to
 * the 32-bit range); 0 when its status cannot be read. */
int32_t file_mtime(const char *path);

#ifdef __cplusplus
}
#endif
