#include "analysisrunner.h"

#include <QMetaObject>

#include <utility>

#include "engine/checkers.h"
#include "game/ruleset.h"

AnalysisRunner::AnalysisRunner(QObject* parent) : QObject(parent) {}

AnalysisRunner::~AnalysisRunner()
{
    cancel();
}

void AnalysisRunner::join()
{
    if (m_thread.joinable())
        m_thread.join();
}

void AnalysisRunner::cancel()
{
    if (m_stop)
        m_stop->store(true);
    ++m_generation;
    m_running = false;
    // A stopped search returns at its next check, well within a blink.
    join();
    m_stop.reset();
}

void AnalysisRunner::start(const Analysis::Request& request)
{
    cancel();
    m_stop = std::make_shared<std::atomic<bool>>(false);
    m_running = true;
    const unsigned generation = m_generation;
    const Analyser::Limits limits = m_limits;
    std::shared_ptr<std::atomic<bool>> stop = m_stop;
    if (!m_engine || m_engine->type() != request.rules)
        m_engine = ruleset::makeEngine(request.rules);
    if (!m_engine) {
        m_running = false;
        return;
    }
    Checkers* const engine = m_engine.get();
    // The thread before has been joined: the engine is this search's alone.
    m_thread = std::thread([this, generation, limits, request, stop, engine] {
        const Analysis::Found result = Analyser::search(*engine, request, limits, stop.get());
        if (stop->load())
            return;
        // The runner outlives this thread (its destructor waits for it), and a queued call
        // whose context is gone is never made.
        QMetaObject::invokeMethod(
            this,
            [this, generation, request, result] {
                if (m_generation != generation)
                    return;
                m_running = false;
                join();
                emit found(request, result);
            },
            Qt::QueuedConnection);
    });
}
