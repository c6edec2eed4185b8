#pragma once

#include "engine/position.h"
#include "engine/searchhistory.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

class Checkers;
class EndgameTable;

// Runs the computer's searches on a thread of its own, one at a time, so that the caller's
// thread stays free to answer its person. The thread starts with the first job; the engine it
// searches with is made by the first job and made anew when a job asks for another rule set, so
// that every search shares one engine and its one set of search tables. A new job never waits
// behind a running one: it stops that one, whose result is dropped. The result of a job is handed
// to the callback on the worker thread, unless the job was cancelled or replaced first; the
// callback must not call back into the Thinker and should pass the result on to its own thread.
// The destructor stops the search and joins the thread.
class Thinker
{
public:
    struct Job {
        int rules = 0;       // the rule set's code (ruleset::ENGLISH or ruleset::RUSSIAN)
        Position position{}; // in the engine's orientation: side 1 at the bottom
        int sideToMove = 2;  // 1 or 2
        int moveTimeMs = 0;  // the search's budget; 0: none
        int depth = 0;       // the deepest iteration; 0: none
        int level = 2;       // plies of the fixed search, when neither budget nor depth is set
        // The game before the position, as the side to move sees it, for Grandmaster's search
        // to know repetitions and the draw rules' counts (searchHistoryOf); empty: none.
        SearchHistory history;
        // The endgame tables Grandmaster's search probes; null: none.
        std::shared_ptr<const EndgameTable> tables;
    };
    struct Result {
        Position after{}; // the position after the chosen move; the job's own without a move
        int value = 0;    // the position's value for the side that moved
        int depth = 0;    // the deepest iteration finished; 0 for the fixed search
    };
    using Ticket = std::uint64_t;
    using Callback = std::function<void(Ticket, const Result&)>;

    explicit Thinker(Callback onResult);
    ~Thinker();
    Thinker(const Thinker&) = delete;
    Thinker& operator=(const Thinker&) = delete;

    // Hands `job` to the worker, stopping the search that runs and dropping the job that waits;
    // gives the ticket its result will be delivered with. Throws std::system_error, and takes
    // nothing, when the system gives the first job no thread.
    Ticket start(const Job& job);
    // Stops the running search and drops the waiting job: no result of either is delivered.
    void cancel();
    // A job waits or its search runs.
    bool busy() const;
    // A search runs on the worker.
    bool searching() const;
    // The running search has been told to stop and has not yet.
    bool stopping() const;
    // Jobs handed to the Thinker since it was made.
    std::uint64_t requests() const;

private:
    void run();
    Result search(const Job& job);

    Callback m_onResult;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::optional<Job> m_waiting; // the next job, with m_waitingTicket
    Ticket m_waitingTicket = 0;
    Ticket m_runningTicket = 0; // 0: no search runs
    Ticket m_lastTicket = 0;
    std::uint64_t m_requests = 0;
    bool m_quit = false;
    std::atomic<bool> m_stop{false};    // read by the running search
    std::unique_ptr<Checkers> m_engine; // touched by the worker alone
    std::thread m_thread;               // started by the first job
};
