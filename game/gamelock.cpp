#include "gamelock.h"

#include "systemcalls.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>

namespace
{

constexpr mode_t LOCK_FILE_MODE = 0666; // less the umask, as the kept game's

} // namespace

GameLock::GameLock(const std::string& keptFile)
    : m_ownCalls(std::make_unique<SystemCalls>()), m_calls(*m_ownCalls)
{
    take(keptFile);
}

GameLock::GameLock(const std::string& keptFile, SystemCalls& calls) : m_calls(calls)
{
    take(keptFile);
}

void GameLock::take(const std::string& keptFile)
{
    const std::string path = keptFile + SUFFIX;
    m_fd = m_calls.open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, LOCK_FILE_MODE);
    if (m_fd < 0) {
        m_error = "cannot open " + path + ": " + std::strerror(errno);
        return;
    }
    if (m_calls.flock(m_fd, LOCK_EX | LOCK_NB) == 0) {
        m_status = Status::HELD;
        return;
    }
    const int reason = errno;
    m_calls.close(m_fd);
    m_fd = -1;
    m_status = reason == EWOULDBLOCK ? Status::TAKEN : Status::UNAVAILABLE;
    m_error = "cannot lock " + path + ": " + std::strerror(reason);
}

GameLock::~GameLock()
{
    if (m_fd >= 0)
        m_calls.close(m_fd);
}
