#include "endgameindex.h"

#include <algorithm>

namespace
{

constexpr int MAN_SQUARES = 28;     // a man never stands on the row where it is crowned
constexpr int OTHER_MEN_OFFSET = 4; // side 1's men stand on squares 4..31
constexpr int SQUARES_PER_ROW = 4;
constexpr int LAST_ROW = 7;

// Binomial coefficients C(n, k) for n up to 32 and k up to MAX_OF_A_KIND.
struct Binomials {
    std::uint32_t c[SQUARES + 1][EndgameIndex::MAX_OF_A_KIND + 1];
};

constexpr Binomials makeBinomials()
{
    Binomials table{};
    for (int n = 0; n <= SQUARES; ++n) {
        table.c[n][0] = 1;
        for (int k = 1; k <= EndgameIndex::MAX_OF_A_KIND; ++k)
            table.c[n][k] = n == 0 ? 0 : table.c[n - 1][k - 1] + table.c[n - 1][k];
    }
    return table;
}

constexpr Binomials BINOMIALS = makeBinomials();

constexpr std::uint64_t choose(int n, int k)
{
    return BINOMIALS.c[n][k];
}

// The rank of a set among the sets of its size (colexicographic order).
std::uint64_t rankOf(std::uint32_t set)
{
    std::uint64_t rank = 0;
    int i = 1;
    while (set) {
        rank += choose(__builtin_ctz(set), i++);
        set &= set - 1;
    }
    return rank;
}

// The set of `k` squares below `n` with the rank given.
std::uint32_t setAt(std::uint64_t rank, int k, int n)
{
    std::uint32_t set = 0;
    for (int i = k; i > 0; --i) {
        int square = n - 1;
        while (choose(square, i) > rank)
            --square;
        rank -= choose(square, i);
        set |= std::uint32_t{1} << square;
        n = square;
    }
    return set;
}

int count(std::uint32_t set)
{
    return __builtin_popcount(set);
}

} // namespace

EndgameIndex::Material EndgameIndex::materialOf(const PackedPosition& position)
{
    return Material{count(position.side2 & ~position.kings), count(position.side2 & position.kings),
                    count(position.side1 & ~position.kings),
                    count(position.side1 & position.kings)};
}

std::uint64_t EndgameIndex::sliceSize(const Material& material)
{
    return choose(SQUARES, material.kings) * choose(SQUARES, material.otherKings);
}

std::uint64_t EndgameIndex::size(const Material& m)
{
    for (const int kind : {m.men, m.kings, m.otherMen, m.otherKings})
        if (kind < 0 || kind > MAX_OF_A_KIND)
            return 0;
    return choose(MAN_SQUARES, m.men) * choose(MAN_SQUARES, m.otherMen) * sliceSize(m);
}

std::uint64_t EndgameIndex::indexOf(const PackedPosition& p, const Material& m)
{
    const std::uint64_t men = rankOf(p.side2 & ~p.kings);
    const std::uint64_t otherMen = rankOf((p.side1 & ~p.kings) >> OTHER_MEN_OFFSET);
    const std::uint64_t kings = rankOf(p.side2 & p.kings);
    const std::uint64_t otherKings = rankOf(p.side1 & p.kings);
    return ((men * choose(MAN_SQUARES, m.otherMen) + otherMen) * choose(SQUARES, m.kings) + kings) *
               choose(SQUARES, m.otherKings) +
           otherKings;
}

bool EndgameIndex::positionAt(const Material& m, std::uint64_t index, PackedPosition& out)
{
    const std::uint64_t otherKings = index % choose(SQUARES, m.otherKings);
    index /= choose(SQUARES, m.otherKings);
    const std::uint64_t kings = index % choose(SQUARES, m.kings);
    index /= choose(SQUARES, m.kings);
    const std::uint64_t otherMen = index % choose(MAN_SQUARES, m.otherMen);
    const std::uint64_t men = index / choose(MAN_SQUARES, m.otherMen);
    const std::uint32_t sets[] = {setAt(men, m.men, MAN_SQUARES),
                                  setAt(otherMen, m.otherMen, MAN_SQUARES) << OTHER_MEN_OFFSET,
                                  setAt(kings, m.kings, SQUARES),
                                  setAt(otherKings, m.otherKings, SQUARES)};
    std::uint32_t seen = 0;
    for (const std::uint32_t set : sets) {
        if (seen & set)
            return false;
        seen |= set;
    }
    out = PackedPosition{sets[0] | sets[2], sets[1] | sets[3], sets[2] | sets[3]};
    return true;
}

bool EndgameIndex::menOfSlice(const Material& material, std::uint64_t slice, PackedPosition& out)
{
    const Material menOnly{material.men, 0, material.otherMen, 0};
    return positionAt(menOnly, slice, out);
}

std::vector<EndgameIndex::Material> EndgameIndex::materials(int pieces, int kingsOnly)
{
    std::vector<Material> all;
    const int most = std::max(pieces, kingsOnly);
    for (int total = 2; total <= most; ++total)
        for (int men = 0; men <= total; ++men)
            for (int kings = 0; men + kings <= total; ++kings)
                for (int otherMen = 0; men + kings + otherMen <= total; ++otherMen) {
                    const Material m{men, kings, otherMen, total - men - kings - otherMen};
                    const bool fits = total <= pieces || m.allMen() == 0;
                    if (fits && men + kings > 0 && m.otherMen + m.otherKings > 0)
                        all.push_back(m);
                }
    // Captures lead to fewer pieces, crownings to fewer men.
    std::stable_sort(all.begin(), all.end(), [](const Material& a, const Material& b) {
        if (a.pieces() != b.pieces())
            return a.pieces() < b.pieces();
        return a.allMen() < b.allMen();
    });
    return all;
}

int EndgameIndex::advancement(const PackedPosition& p)
{
    int total = 0;
    for (std::uint32_t men = p.side2 & ~p.kings; men; men &= men - 1)
        total += __builtin_ctz(men) / SQUARES_PER_ROW;
    for (std::uint32_t men = p.side1 & ~p.kings; men; men &= men - 1)
        total += LAST_ROW - __builtin_ctz(men) / SQUARES_PER_ROW;
    return total;
}
