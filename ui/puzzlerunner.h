#pragma once

#include <QObject>

#include <functional>
#include <thread>

// Runs one piece of work off the GUI thread at a time and brings its end back to the GUI thread:
// start() runs `work` on a thread of its own and then `done` on the GUI thread, unless cancel()
// or a newer start() has made it moot first. The work must touch nothing the GUI thread uses
// meanwhile; cancel() waits for work under way (a puzzle's searches are short) and drops its end.
class PuzzleRunner : public QObject
{
    Q_OBJECT

public:
    explicit PuzzleRunner(QObject* parent = nullptr) : QObject(parent) {}
    ~PuzzleRunner() override;

    void start(std::function<void()> work, std::function<void()> done);
    void cancel();
    bool running() const { return m_running; }

private:
    void join();

    std::thread m_thread;
    // Counts the starts, so that an end that arrives after a newer start or a cancel is dropped.
    unsigned m_generation = 0;
    bool m_running = false;
};
