#pragma once

#include <memory>
#include <string>

class SystemCalls;

// Keeps a second copy of the game from playing in the same folder, where each would overwrite
// the other's kept game: while this object lives its process holds a lock on a file beside the
// kept game's ("<file>.lock", made when missing and never removed, so that no copy can lock a
// file another has just unlinked). The lock goes with the process, however it ends. Where the
// folder or its file system allows no lock the game is played all the same.
class GameLock
{
public:
    enum class Status {
        HELD,       // this copy has the kept game to itself
        TAKEN,      // another running copy holds it
        UNAVAILABLE // no lock could be had here (said in error())
    };

    static constexpr char SUFFIX[] = ".lock";

    explicit GameLock(const std::string& keptFile);
    // The same, making its system calls through `calls`, which outlives it.
    GameLock(const std::string& keptFile, SystemCalls& calls);
    ~GameLock();
    GameLock(const GameLock&) = delete;
    GameLock& operator=(const GameLock&) = delete;

    Status status() const { return m_status; }
    // Why no lock could be had, when UNAVAILABLE.
    const std::string& error() const { return m_error; }

private:
    void take(const std::string& keptFile);

    std::unique_ptr<SystemCalls> m_ownCalls; // when none were given
    SystemCalls& m_calls;
    int m_fd = -1;
    Status m_status = Status::UNAVAILABLE;
    std::string m_error;
};
