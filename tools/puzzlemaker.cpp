#include "puzzlemaker.h"

#include "engine/proofsearch.h"
#include "game/ruleset.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>

namespace
{

constexpr int FINDER_TABLE_BITS = 18;
constexpr int PROVER_TABLE_BITS = 20;
// Positions one judgement may search (about 18 million a second here): flying kings can make a
// proof take minutes, and a run of hundreds of puzzles cannot wait for them.
constexpr long long FINDER_BUDGET = 1000000;
constexpr long long PROVER_BUDGET = 5000000;

Position turned(const Position& position)
{
    Position result{};
    for (int square = 0; square < SQUARES; ++square)
        result[SQUARES - 1 - square] = SIDE_SWAP - position[square];
    return result;
}

bool alike(const PuzzleMaker::Signature& a, const PuzzleMaker::Signature& b)
{
    const auto count = [](std::uint32_t n) { return __builtin_popcount(n); };
    return std::abs(a.ply - b.ply) <= PuzzleMaker::SIMILAR_PLIES &&
           count(a.men[0]) == count(b.men[0]) && count(a.men[1]) == count(b.men[1]) &&
           count(a.kings[0]) == count(b.kings[0]) && count(a.kings[1]) == count(b.kings[1]) &&
           a.solver == b.solver && a.from == b.from && a.to == b.to;
}

double seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

} // namespace

PuzzleMaker::PuzzleMaker(const Settings& settings)
    : m_settings(settings), m_finder(std::make_unique<ProofSearch>(
                                Puzzle::generatorRules(settings.rules), FINDER_TABLE_BITS)),
      m_prover(
          std::make_unique<ProofSearch>(Puzzle::generatorRules(settings.rules), PROVER_TABLE_BITS))
{
    m_finder->setBudget(FINDER_BUDGET);
    m_prover->setBudget(PROVER_BUDGET);
}

PuzzleMaker::~PuzzleMaker() = default;

void PuzzleMaker::newGame()
{
    m_kept.clear();
}

std::optional<Puzzle> PuzzleMaker::consider(const GameRecord& game)
{
    // The solver plays side 1 of the puzzle, at the bottom.
    const Position solverView = game.sideToMove() == 1 ? game.position() : turned(game.position());
    const PackedPosition packed = Puzzle::packed(solverView, 1);
    if (!m_seen.insert(packed.hash()).second)
        return std::nullopt;
    ++m_report.positions;
    const auto findStart = std::chrono::steady_clock::now();
    const ProofSearch::Verdict found = m_finder->judge(packed, m_settings.findPlies);
    m_report.findSeconds += seconds(findStart);
    m_report.undecided += found.exhausted;
    const bool candidate = found.puzzle;
    if (!candidate)
        return std::nullopt;
    ++m_report.candidates;
    const auto proveStart = std::chrono::steady_clock::now();
    const ProofSearch::Verdict proof = m_prover->judge(packed, ProofSearch::PROOF_PLIES);
    m_report.proveSeconds += seconds(proveStart);
    m_report.undecided += proof.exhausted;
    if (!proof.puzzle)
        return std::nullopt;
    ++m_report.proved;

    // The solver's pieces after the move, on the squares of `packed`.
    const std::uint32_t moved = proof.reply.rotated().side2;
    const Signature signature{static_cast<int>(game.moves().size()),
                              {packed.side2 & ~packed.kings, packed.side1 & ~packed.kings},
                              {packed.side2 & packed.kings, packed.side1 & packed.kings},
                              game.colourToMove(),
                              packed.side2 & ~moved,
                              moved & ~packed.side2};
    if (std::any_of(m_kept.begin(), m_kept.end(),
                    [&](const PuzzleMaker::Signature& k) { return alike(k, signature); })) {
        ++m_report.alike;
        return std::nullopt;
    }
    const int goal = proof.gain >= ProofSearch::WIN ? ProofSearch::WIN : ProofSearch::GOAL;
    const int length =
        m_prover->solutionLength(packed, proof.reply, ProofSearch::PROOF_PLIES, goal);
    GameRecord record(m_settings.rules, game.colourToMove(), solverView, 1);
    int next = 2;
    for (const PackedPosition& step : m_prover->line(packed, proof.reply, length, goal)) {
        // The line is the rules' own moves: a failure here is a fault of the search.
        if (!record.playResulting(Puzzle::unpacked(step, next)))
            return std::nullopt;
        next = 3 - next;
    }
    m_kept.push_back(signature);
    Puzzle puzzle(std::move(record), goal, 0);
    ++m_report.kept[static_cast<int>(puzzle.difficulty())];
    return puzzle;
}

std::vector<Puzzle> PuzzleMaker::make(const Openings& openings, std::ostream& log)
{
    const auto start = std::chrono::steady_clock::now();
    std::vector<Puzzle> found;
    if (openings.all().empty())
        return found;
    const std::unique_ptr<Checkers> engine = ruleset::makeEngine(m_settings.rules);
    engine->moveDepth = m_settings.gameDepth;
    const std::size_t openingCount = openings.all().size();
    for (int g = 0; static_cast<int>(found.size()) < m_settings.count &&
                    (m_settings.maxGames == 0 || g < m_settings.maxGames);
         ++g) {
        const Openings::Opening& opening =
            openings.all()[static_cast<std::size_t>(g / 2) % openingCount];
        GameRecord game = openings.game(opening);
        engine->clearSearchTables();
        newGame();
        ++m_report.games;
        while (!game.over() && game.moves().size() < static_cast<std::size_t>(PLY_LIMIT) &&
               static_cast<int>(found.size()) < m_settings.count) {
            if (std::optional<Puzzle> puzzle = consider(game)) {
                found.push_back(std::move(*puzzle));
                log << "puzzle " << found.size() << " game " << g + 1 << " ply "
                    << game.moves().size() << ' '
                    << Puzzle::difficultyName(found.back().difficulty()) << " plies "
                    << found.back().plies() << ' ' << found.back().fen() << std::endl;
            }
            const int side = game.sideToMove();
            placePosition(*engine, side == 1 ? turned(game.position()) : game.position());
            // Every engine made seeds the generator with the time, the records' scratch engines
            // too: it is seeded from the game and the ply just before the search draws from it.
            std::srand(m_settings.seed + static_cast<unsigned>(g) * PLY_LIMIT +
                       static_cast<unsigned>(game.moves().size()));
            engine->go2();
            const Position after = positionOf(*engine);
            if (!game.playResulting(side == 1 ? turned(after) : after))
                break;
        }
    }
    std::stable_sort(found.begin(), found.end(), [](const Puzzle& a, const Puzzle& b) {
        if (a.difficulty() != b.difficulty())
            return a.difficulty() < b.difficulty();
        return a.kind() < b.kind();
    });
    m_report.seconds = seconds(start);
    return found;
}
