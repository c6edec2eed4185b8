#pragma once

#include <cstddef>
#include <sys/stat.h>
#include <sys/types.h>

// The file system calls that keep files safe (and one game to its own files), one virtual function
// each with the system call's contract, so that a test can watch them happen and make any of them
// fail. This class makes the real calls.
class SystemCalls
{
public:
    virtual ~SystemCalls() = default;

    virtual int open(const char* path, int flags, mode_t mode);
    virtual ssize_t write(int fd, const void* data, std::size_t size);
    virtual int fchmod(int fd, mode_t mode);
    virtual int fsync(int fd);
    virtual int close(int fd);
    virtual int rename(const char* from, const char* to);
    virtual int link(const char* from, const char* to);
    virtual int unlink(const char* path);
    virtual int lstat(const char* path, struct stat* info);
    virtual int fstat(int fd, struct stat* info);
    virtual ssize_t readlink(const char* path, char* buffer, std::size_t size);
    virtual int flock(int fd, int operation);
};
