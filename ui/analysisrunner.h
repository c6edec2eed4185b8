#pragma once

#include <QObject>

#include <atomic>
#include <memory>
#include <thread>

#include "game/analyser.h"
#include "game/analysis.h"

class Checkers;
// Runs the searches of an analysis off the GUI thread, one position at a time, on an engine of
// its own: start() hands out the next position of the analysis, and found() brings what the
// search found back to the GUI thread, where it is fed. cancel() ends the search under way and
// makes sure nothing it finds is ever delivered. The one place where the replay's searches meet a
// thread: a worker shared with the play board can take its place behind the same calls.
class AnalysisRunner : public QObject
{
    Q_OBJECT

public:
    explicit AnalysisRunner(QObject* parent = nullptr);
    // Stops and waits for the search under way.
    ~AnalysisRunner() override;

    void setLimits(const Analyser::Limits& limits) { m_limits = limits; }
    // Searches `request`; a search still under way is cancelled first.
    void start(const Analysis::Request& request);
    // Stops the search under way, if any; its result is dropped.
    void cancel();
    bool running() const { return m_running; }

signals:
    // On the GUI thread, for the last request started and not cancelled.
    void found(const Analysis::Request& request, const Analysis::Found& found);

private:
    void join();

    Analyser::Limits m_limits;
    // The engine of the searches, kept from one position to the next so that its search tables
    // are made once per analysis; used by one search at a time, on its thread.
    std::unique_ptr<Checkers> m_engine;
    std::thread m_thread;
    // Set by cancel() for the search it ends; each search has its own, so that a new search is
    // never stopped by the flag of an old one.
    std::shared_ptr<std::atomic<bool>> m_stop;
    // Counts the searches started, so that a result that arrives after a newer start or a
    // cancel is known for what it is.
    unsigned m_generation = 0;
    bool m_running = false;
};
