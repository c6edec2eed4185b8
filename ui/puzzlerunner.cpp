#include "puzzlerunner.h"

#include <QMetaObject>

#include <utility>

PuzzleRunner::~PuzzleRunner()
{
    cancel();
}

void PuzzleRunner::join()
{
    if (m_thread.joinable())
        m_thread.join();
}

void PuzzleRunner::cancel()
{
    ++m_generation;
    m_running = false;
    join();
}

void PuzzleRunner::start(std::function<void()> work, std::function<void()> done)
{
    cancel();
    m_running = true;
    const unsigned generation = m_generation;
    m_thread = std::thread([this, generation, work = std::move(work), done = std::move(done)] {
        work();
        // The runner outlives this thread (its destructor waits for it), and a queued call
        // whose context is gone is never made.
        QMetaObject::invokeMethod(
            this,
            [this, generation, done] {
                if (m_generation != generation)
                    return;
                m_running = false;
                join();
                done();
            },
            Qt::QueuedConnection);
    });
}
