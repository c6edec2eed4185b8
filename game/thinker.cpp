#include "thinker.h"

#include "engine/checkers.h"
#include "ruleset.h"

#include <utility>

Thinker::Thinker(Callback onResult) : m_onResult(std::move(onResult)) {}

Thinker::~Thinker()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_quit = true;
        m_waiting.reset();
        m_stop = true;
    }
    m_wake.notify_one();
    if (m_thread.joinable())
        m_thread.join();
}

Thinker::Ticket Thinker::start(const Job& job)
{
    Ticket ticket = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        // First, as it may throw: a job is taken only once there is a thread to run it.
        if (!m_thread.joinable())
            m_thread = std::thread(&Thinker::run, this);
        // The running search is moot once another is asked for.
        if (m_runningTicket != 0)
            m_stop = true;
        m_waiting = job;
        ++m_requests;
        ticket = m_waitingTicket = ++m_lastTicket;
    }
    m_wake.notify_one();
    return ticket;
}

void Thinker::cancel()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_waiting.reset();
    if (m_runningTicket != 0)
        m_stop = true;
}

bool Thinker::busy() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_waiting.has_value() || m_runningTicket != 0;
}

bool Thinker::searching() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_runningTicket != 0;
}

bool Thinker::stopping() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_runningTicket != 0 && m_stop;
}

std::uint64_t Thinker::requests() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests;
}

void Thinker::run()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_quit || m_waiting.has_value(); });
        if (m_quit)
            return;
        const Job job = *m_waiting;
        m_waiting.reset();
        m_runningTicket = m_waitingTicket;
        m_stop = false;
        lock.unlock();

        const Result result = search(job);

        lock.lock();
        const Ticket ticket = m_runningTicket;
        // A stop asked for while it ran means the job was cancelled or replaced.
        const bool deliver = !m_stop && !m_quit;
        m_runningTicket = 0;
        if (deliver) {
            // Delivered under the lock, so that a cancel() that returns has either prevented
            // the delivery or come after it.
            m_onResult(ticket, result);
        }
    }
}

Thinker::Result Thinker::search(const Job& job)
{
    if (!m_engine || m_engine->type() != job.rules)
        m_engine = ruleset::makeEngine(job.rules);
    Result result;
    result.after = job.position;
    if (!m_engine)
        return result; // an unknown rule set has no move to offer
    Checkers& engine = *m_engine;
    engine.stop = &m_stop;
    engine.moveTime = job.moveTimeMs;
    engine.moveDepth = job.depth;
    engine.level = job.level;
    engine.history = job.history;
    engine.endgameTable = job.tables;

    // The search plays side 2; side 1's turn is searched on the board turned round.
    const bool turned = job.sideToMove == 1;
    placePosition(engine, job.position);
    if (turned)
        engine.rotate();
    result.value = engine.go2();
    if (turned)
        engine.rotate();
    result.after = positionOf(engine);
    result.depth = engine.finishedDepth();
    return result;
}
