// The endgame tables: their numbering, their file (coding, checksums, damage) and the values of
// positions whose result is known from the rules.

#include "engine/endgamefile.h"
#include "engine/endgamegenerator.h"
#include "engine/endgameindex.h"
#include "engine/endgametable.h"
#include "engine/position.h"
#include "engine/timedsearch.h"
#include "rules/echeckers.h"
#include "rules/rcheckers.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

namespace
{

using Rules = MoveGenerator::Rules;
using Outcome = EndgameValue::Outcome;

constexpr std::uint32_t square(int row, int column)
{
    return std::uint32_t{1} << (row * 4 + column / 2);
}

// Tables of up to three pieces for both rule sets, made once in a directory of their own: one
// for each test process, as CTest runs the tests of this suite side by side.
class EndgameTableTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_directory = ::testing::TempDir() + "endgametable_test_" + std::to_string(getpid());
        std::filesystem::create_directories(s_directory);
        for (const Rules rules : {Rules::ENGLISH, Rules::RUSSIAN}) {
            EndgameGenerator generator(rules, 3, 3);
            generator.build();
            std::string error;
            ASSERT_TRUE(EndgameFile::write(s_directory + "/" + EndgameFile::fileName(rules), rules,
                                           generator.materials(), generator.values(), error))
                << error;
        }
    }

    static void TearDownTestSuite() { std::filesystem::remove_all(s_directory); }

    static std::string s_directory;
};

std::string EndgameTableTest::s_directory;

TEST(EndgameIndex, NumbersEveryPositionOnceAndBack)
{
    for (const EndgameIndex::Material& material : EndgameIndex::materials(3, 3)) {
        std::uint64_t valid = 0;
        for (std::uint64_t i = 0; i < EndgameIndex::size(material); ++i) {
            PackedPosition position;
            if (!EndgameIndex::positionAt(material, i, position))
                continue;
            ++valid;
            ASSERT_EQ(EndgameIndex::materialOf(position), material);
            ASSERT_EQ(EndgameIndex::indexOf(position, material), i);
        }
        EXPECT_GT(valid, 0u);
    }
}

TEST(EndgameIndex, CapturesAndCrowningsLeadToMaterialsListedEarlier)
{
    const std::vector<EndgameIndex::Material> all = EndgameIndex::materials(4, 5);
    for (std::size_t i = 0; i < all.size(); ++i) {
        const EndgameIndex::Material m = all[i];
        const EndgameIndex::Material crowned{m.men - 1, m.kings + 1, m.otherMen, m.otherKings};
        const EndgameIndex::Material captured{m.men, m.kings, m.otherMen, m.otherKings - 1};
        for (const EndgameIndex::Material& next : {crowned, captured}) {
            const auto found = std::find(all.begin(), all.end(), next);
            if (found != all.end()) {
                EXPECT_LT(found - all.begin(), static_cast<std::ptrdiff_t>(i));
            }
        }
    }
}

// The files written earlier must still read: the checksum is the standard CRC-32.
TEST(EndgameFile, ChecksumIsCrc32)
{
    const std::string check = "123456789";
    EXPECT_EQ(
        EndgameFile::checksum(reinterpret_cast<const std::uint8_t*>(check.data()), check.size()),
        0xCBF43926u);
}

TEST(EndgameFile, RunLengthCodingRoundTrips)
{
    const std::vector<std::vector<std::uint8_t>> cases = {
        {},
        {7},
        {1, 1},
        {1, 1, 1},
        std::vector<std::uint8_t>(1000, 9),
        [] {
            std::vector<std::uint8_t> distinct(300);
            for (std::size_t i = 0; i < distinct.size(); ++i)
                distinct[i] = static_cast<std::uint8_t>(i);
            return distinct;
        }(),
        {5, 5, 6, 6, 6, 7, 8, 8, 8, 8, 0, 0},
    };
    for (const std::vector<std::uint8_t>& values : cases) {
        std::vector<std::uint8_t> coded = EndgameFile::compress(values.data(), values.size());
        std::vector<std::uint8_t> decoded(values.size());
        ASSERT_TRUE(EndgameFile::decompress(coded, decoded.data(), decoded.size()));
        EXPECT_EQ(decoded, values);
        if (!coded.empty()) {
            // Cut short, the code no longer fills the block.
            coded.pop_back();
            EXPECT_FALSE(EndgameFile::decompress(coded, decoded.data(), decoded.size()));
        }
    }
}

TEST_F(EndgameTableTest, KnownResults)
{
    struct Case {
        const char* what;
        Rules rules;
        PackedPosition position; // side 2 to move
        Outcome outcome;
        int distance; // -1: any
    };
    const std::uint32_t kingVsKing2 = square(0, 1);
    const std::uint32_t kingVsKing1 = square(7, 6);
    const PackedPosition twoKingsAgainstOne{square(2, 3) | square(4, 3), square(6, 5),
                                            square(2, 3) | square(4, 3) | square(6, 5)};
    // A man on row 6 with both squares ahead taken by kings and nothing to jump into.
    const PackedPosition blocked{square(6, 1), square(7, 0) | square(7, 2),
                                 square(7, 0) | square(7, 2)};
    // The man jumps onto the crowning row; a Russian king carries on and takes the last piece,
    // an English man stops there crowned, leaving king against king.
    const PackedPosition crowningJump{square(5, 2), square(6, 3) | square(5, 6), square(5, 6)};
    const Case cases[] = {
        {"king against king",
         Rules::ENGLISH,
         {kingVsKing2, kingVsKing1, kingVsKing2 | kingVsKing1},
         Outcome::DRAW,
         0},
        {"king against king",
         Rules::RUSSIAN,
         {kingVsKing2, kingVsKing1, kingVsKing2 | kingVsKing1},
         Outcome::DRAW,
         0},
        {"two kings against one", Rules::ENGLISH, twoKingsAgainstOne, Outcome::WIN, -1},
        {"no move", Rules::ENGLISH, blocked, Outcome::LOSS, 0},
        {"no move", Rules::RUSSIAN, blocked, Outcome::LOSS, 0},
        {"crowned in a capture", Rules::ENGLISH, crowningJump, Outcome::DRAW, 0},
        {"crowned in a capture", Rules::RUSSIAN, crowningJump, Outcome::WIN, 1},
    };
    for (const Case& c : cases) {
        EndgameTable table;
        std::string error;
        ASSERT_TRUE(table.open(s_directory, c.rules, error)) << error;
        const std::optional<EndgameValue> value = table.probe(c.position);
        ASSERT_TRUE(value) << c.what;
        EXPECT_EQ(value->outcome, c.outcome) << c.what;
        if (c.distance >= 0)
            EXPECT_EQ(value->distance, c.distance) << c.what;
        else
            EXPECT_LE(value->distance, table.limit()) << c.what;
    }
}

TEST_F(EndgameTableTest, MissingOrDamagedFilesAreRefused)
{
    const std::string source = s_directory + "/" + EndgameFile::fileName(Rules::ENGLISH);
    const std::string damaged = s_directory + "/damaged";
    std::filesystem::remove_all(damaged);
    std::filesystem::create_directories(damaged);
    const std::string copy = damaged + "/" + EndgameFile::fileName(Rules::ENGLISH);
    std::string error;

    EndgameTable table;
    EXPECT_FALSE(table.open(damaged, Rules::ENGLISH, error));
    EXPECT_NE(error.find("no endgame tables"), std::string::npos);

    // A header cut short; a block count far beyond what the file holds (read before the
    // header's checksum can be checked, so bounded by the file's size); a header byte changed.
    struct Damage {
        std::streamoff offset;
        char byte; // 0: the file is cut there
        const char* reason;
    };
    for (const Damage& damage : {Damage{30, 0, "cut short"}, Damage{18, '\x3F', "cut short"},
                                 Damage{40, '\x7F', "checksum"}}) {
        std::filesystem::copy_file(source, copy, std::filesystem::copy_options::overwrite_existing);
        if (damage.byte == 0) {
            std::filesystem::resize_file(copy, static_cast<std::uintmax_t>(damage.offset));
        } else {
            std::fstream file(copy, std::ios::in | std::ios::out | std::ios::binary);
            file.seekp(damage.offset);
            file.put(damage.byte);
        }
        EXPECT_FALSE(table.open(damaged, Rules::ENGLISH, error));
        EXPECT_NE(error.find(damage.reason), std::string::npos) << error;
        EXPECT_FALSE(table.isOpen());
    }

    // A changed byte in the last block: found when that block is read, which closes the tables.
    std::filesystem::copy_file(source, copy, std::filesystem::copy_options::overwrite_existing);
    {
        std::fstream file(copy, std::ios::in | std::ios::out | std::ios::binary);
        file.seekg(-1, std::ios::end);
        const char last = static_cast<char>(file.get());
        file.seekp(-1, std::ios::end);
        file.put(static_cast<char>(last ^ 0x01));
    }
    ASSERT_TRUE(table.open(damaged, Rules::ENGLISH, error)) << error;
    const EndgameFile::Table& lastTable = table.header().tables.back();
    PackedPosition position;
    std::uint64_t i = lastTable.size;
    while (!EndgameIndex::positionAt(lastTable.material, --i, position)) {
    }
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(table.probe(position));
    EXPECT_FALSE(table.isOpen());
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("damaged"), std::string::npos);
    EXPECT_FALSE(table.probe(PackedPosition{square(0, 1), square(7, 6), 0}));
}

TEST_F(EndgameTableTest, TheCacheStaysWithinItsSize)
{
    // One block of cache: every probe of another block reads it again, and still answers right.
    EndgameTable small(1);
    EndgameTable large;
    std::string error;
    ASSERT_TRUE(small.open(s_directory, Rules::RUSSIAN, error));
    ASSERT_TRUE(large.open(s_directory, Rules::RUSSIAN, error));
    for (const EndgameFile::Table& entry : large.header().tables) {
        for (std::uint64_t i = 0; i < entry.size; i += 997) {
            PackedPosition position;
            if (EndgameIndex::positionAt(entry.material, i, position)) {
                ASSERT_EQ(small.probe(position), large.probe(position));
            }
        }
    }
}

// Grandmaster with the tables, on every 13th position of two kings against one: a won position
// is answered by the move the tables rank fastest, a lost one by the longest resistance.
TEST_F(EndgameTableTest, GrandmasterPlaysTheTablesMoveAtTheRoot)
{
    for (const Rules rules : {Rules::ENGLISH, Rules::RUSSIAN}) {
        auto tables = std::make_shared<EndgameTable>();
        std::string error;
        ASSERT_TRUE(tables->open(s_directory, rules, error)) << error;
        std::unique_ptr<Checkers> engine;
        if (rules == Rules::ENGLISH)
            engine = std::make_unique<ECheckers>();
        else
            engine = std::make_unique<RCheckers>();
        engine->endgameTable = tables;
        engine->moveDepth = 1;
        MoveGenerator generator;
        generator.setRules(rules);
        int checked = 0;
        for (const EndgameIndex::Material material :
             {EndgameIndex::Material{0, 2, 0, 1}, EndgameIndex::Material{0, 1, 0, 2}}) {
            for (std::uint64_t i = 0; i < EndgameIndex::size(material); i += 13) {
                PackedPosition position;
                if (!EndgameIndex::positionAt(material, i, position))
                    continue;
                const EndgameValue known = *tables->probe(position);
                MoveGenerator::List moves;
                generator.generate(position, moves);
                if (known.outcome == EndgameValue::Outcome::DRAW || moves.count == 0 ||
                    moves.moves[0].jumps > 0)
                    continue;
                int cells[SQUARES];
                int squares[SQUARES];
                for (int s = 0; s < SQUARES; ++s)
                    squares[s] = s;
                position.toCells(cells, squares);
                Position board;
                std::copy(cells, cells + SQUARES, board.begin());
                placePosition(*engine, board);
                engine->go2();
                const Position after = positionOf(*engine);
                std::copy(after.begin(), after.end(), cells);
                const PackedPosition reply = PackedPosition::fromCells(cells, squares).rotated();
                const std::optional<EndgameValue> answer = tables->probe(reply);
                ASSERT_TRUE(answer);
                EXPECT_NE(answer->outcome, known.outcome) << i;
                EXPECT_EQ(answer->distance, known.distance - 1) << i;
                ++checked;
            }
        }
        EXPECT_GT(checked, 50);
    }
}

// A win the tables know counts as one only while the draw rule's count leaves room for it.
TEST_F(EndgameTableTest, TheQuietPliesPlayedDecideATableWin)
{
    auto tables = std::make_shared<EndgameTable>();
    std::string error;
    ASSERT_TRUE(tables->open(s_directory, Rules::ENGLISH, error)) << error;
    const PackedPosition position{square(2, 3) | square(4, 3), square(6, 5),
                                  square(2, 3) | square(4, 3) | square(6, 5)};
    const EndgameValue known = *tables->probe(position);
    ASSERT_EQ(known.outcome, EndgameValue::Outcome::WIN);
    ASSERT_GE(known.distance, 2);
    int cells[SQUARES];
    int squares[SQUARES];
    for (int s = 0; s < SQUARES; ++s)
        squares[s] = s;
    position.toCells(cells, squares);
    Position board;
    std::copy(cells, cells + SQUARES, board.begin());
    for (const int spare : {0, -1}) {
        ECheckers engine;
        engine.endgameTable = tables;
        engine.moveDepth = 4;
        DrawCounters counters = DrawCounters::start(position);
        counters.quietPlies = tables->limit() - known.distance - spare;
        counters.unchangedPlies = counters.quietPlies;
        engine.history = SearchHistory::withCounters(position, counters);
        placePosition(engine, board);
        const int value = engine.go2();
        EXPECT_EQ(value > TimedSearch::PROVEN, spare == 0) << value;
    }
}

} // namespace
