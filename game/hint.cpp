#include "hint.h"

#include "engine/checkers.h"
#include "engine/position.h"
#include "gamehistory.h"
#include "gamerecord.h"
#include "ruleset.h"

Hint::Hint() = default;
Hint::~Hint() = default;

std::optional<Hint::Suggestion> Hint::find(const GameRecord& record, const Checkers& player)
{
    if (record.over())
        return std::nullopt;
    if (!m_engine || m_engine->type() != record.rules())
        m_engine = ruleset::makeEngine(record.rules());
    Checkers& engine = *m_engine;
    engine.level = player.level;
    engine.moveTime = player.moveTime;
    engine.moveDepth = player.moveDepth;
    engine.history = searchHistoryOf(record);
    engine.endgameTable = player.endgameTable;

    // The search plays side 2; side 1's turn is searched on the board turned round.
    const bool turned = record.sideToMove() == 1;
    placePosition(engine, record.position());
    if (turned)
        engine.rotate();
    engine.go2();
    if (turned)
        engine.rotate();

    return suggestion(record, positionOf(engine));
}

Thinker::Job Hint::job(const GameRecord& record)
{
    Thinker::Job job;
    job.rules = record.rules();
    job.position = record.position();
    job.sideToMove = record.sideToMove();
    job.moveTimeMs = HINT_MS;
    job.history = searchHistoryOf(record);
    return job;
}

std::optional<Hint::Suggestion> Hint::suggestion(const GameRecord& record, const Position& after)
{
    if (record.over())
        return std::nullopt;
    const LegalMoves& legal = record.legalMoves();
    const GameMove* move = legal.leadingTo(after);
    if (!move)
        return std::nullopt;
    Suggestion suggestion;
    suggestion.move = *move;
    const bool withLandings = legal.needsLandings(*move);
    if (withLandings)
        suggestion.landings.assign(move->landings.begin(), move->landings.end() - 1);
    suggestion.text = record.notation().moveText(*move, withLandings);
    return suggestion;
}
