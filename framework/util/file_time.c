#define _POSIX_C_SOURCE 200809L
#include "framework/util/file_time.h"

#include <sys/stat.h>

int32_t file_mtime(const char *path)
{
    struct stat status;
    if (!path || stat(path, &status) != 0)
        return 0;
    if (status.st_mtime > INT32_MAX)
        return INT32_MAX;
    if (status.st_mtime < INT32_MIN)
        return INT32_MIN;
    return (int32_t)status.st_mtime;
}
