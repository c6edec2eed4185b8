#include "systemcalls.h"

#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

int SystemCalls::open(const char* path, int flags, mode_t mode)
{
    return ::open(path, flags, mode);
}

ssize_t SystemCalls::write(int fd, const void* data, std::size_t size)
{
    return ::write(fd, data, size);
}

int SystemCalls::fchmod(int fd, mode_t mode)
{
    return ::fchmod(fd, mode);
}

int SystemCalls::fsync(int fd)
{
    return ::fsync(fd);
}

int SystemCalls::close(int fd)
{
    return ::close(fd);
}

int SystemCalls::rename(const char* from, const char* to)
{
    return std::rename(from, to);
}

int SystemCalls::link(const char* from, const char* to)
{
    return ::link(from, to);
}

int SystemCalls::unlink(const char* path)
{
    return ::unlink(path);
}

int SystemCalls::lstat(const char* path, struct stat* info)
{
    return ::lstat(path, info);
}

int SystemCalls::fstat(int fd, struct stat* info)
{
    return ::fstat(fd, info);
}

ssize_t SystemCalls::readlink(const char* path, char* buffer, std::size_t size)
{
    return ::readlink(path, buffer, size);
}

int SystemCalls::flock(int fd, int operation)
{
    return ::flock(fd, operation);
}
