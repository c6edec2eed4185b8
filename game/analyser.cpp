#include "analyser.h"

#include "engine/checkers.h"
#include "engine/position.h"
#include "ruleset.h"

#include <memory>

Analysis::Found Analyser::search(Checkers& engine, const Analysis::Request& request,
                                 const Limits& limits, const std::atomic<bool>* stop)
{
    // Without either limit the engine would search at its fixed level, not as Grandmaster.
    const bool unlimited = limits.moveTimeMs <= 0 && limits.depth <= 0;
    engine.moveTime = unlimited ? ANALYSIS_MS : limits.moveTimeMs;
    engine.moveDepth = limits.depth;
    engine.stop = stop;
    // The search moves side 2; side 1's turn is searched on the board turned round.
    const bool turned = request.side == 1;
    placePosition(engine, request.position);
    if (turned)
        engine.rotate();
    Analysis::Found found;
    found.value = engine.go2();
    if (turned)
        engine.rotate();
    found.bestAfter = positionOf(engine);
    engine.stop = nullptr;
    return found;
}

bool Analyser::run(Analysis& analysis, const Limits& limits, const Progress& progress)
{
    const std::unique_ptr<Checkers> engine = ruleset::makeEngine(analysis.game().rules());
    while (const std::optional<Analysis::Request> request = analysis.next()) {
        analysis.feed(*request, search(*engine, *request, limits));
        if (progress && !progress(analysis.done(), analysis.total()))
            return false;
    }
    return true;
}
