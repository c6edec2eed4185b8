#pragma once

// Two Russian games of quiet moves, found by a search, that end by the unchanged balance of an
// ending with kings on both sides on their last ply: 4 pieces for 30 moves each, 6 pieces for 60.
namespace balancegames
{

constexpr const char* THIRTY_MOVES = R"([GameType "25"]
[FEN "W:WKa1,c1:Bf8,Kh8"]
1. c1-b2 h8-g7 2. b2-a3 g7-h6 3. a1-e5 h6-e3 4. e5-b2 e3-c5 5. b2-e5 c5-a7 6.
e5-d6 a7-f2 7. d6-e5 f2-h4 8. e5-b2 h4-d8 9. b2-d4 d8-g5 10. d4-h8 g5-c1 11.
h8-a1 c1-g5 12. a1-c3 g5-f4 13. a3-b4 f4-g5 14. c3-e1 g5-h6 15. e1-h4 h6-d2 16.
b4-a5 d2-f4 17. h4-e1 f4-h6 18. e1-c3 h6-c1 19. c3-d4 c1-g5 20. d4-a7 g5-d8 21.
a7-b8 d8-f6 22. b8-c7 f6-d8 23. c7-g3 d8-g5 24. g3-h4 g5-e3 25. h4-e1 e3-a7 26.
e1-c3 a7-c5 27. c3-a1 f8-e7 28. a1-b2 c5-d6 29. b2-h8 d6-g3 30. h8-g7 g3-c7 1/2-1/2
)";

constexpr const char* SIXTY_MOVES = R"([GameType "25"]
[FEN "W:WKa1,c1,e1:Bd8,f8,Kh8"]
1. c1-b2 h8-f6 2. e1-d2 f6-e5 3. b2-a3 e5-f4 4. d2-c3 f4-g5 5. a1-b2 g5-h6 6.
b2-a1 h6-f4 7. a1-b2 f4-e3 8. b2-c1 e3-b6 9. c1-h6 b6-a7 10. h6-d2 a7-b6 11.
d2-g5 b6-a7 12. g5-f6 a7-f2 13. f6-e5 f2-c5 14. e5-f6 c5-a7 15. f6-h4 f8-e7 16.
h4-g3 a7-b8 17. g3-h2 b8-a7 18. h2-f4 a7-g1 19. f4-e5 g1-f2 20. e5-g7 f2-c5 21.
g7-h8 c5-g1 22. h8-g7 g1-b6 23. g7-h6 b6-a5 24. h6-d2 a5-c7 25. d2-c1 c7-h2 26.
c1-g5 h2-e5 27. c3-b4 e5-c7 28. g5-h6 c7-b6 29. h6-d2 b6-c7 30. d2-e1 c7-h2 31.
e1-d2 h2-d6 32. d2-g5 d6-e5 33. g5-c1 e5-f6 34. c1-d2 f6-a1 35. d2-h6 a1-h8 36.
h6-g5 h8-a1 37. g5-h4 a1-e5 38. h4-e1 e5-b8 39. b4-a5 b8-h2 40. e1-b4 h2-d6 41.
b4-c3 d6-h2 42. c3-d2 h2-c7 43. d2-h6 c7-b8 44. h6-d2 b8-e5 45. d2-h6 e5-d4 46.
h6-g5 d4-a7 47. g5-h6 a7-g1 48. h6-g5 g1-h2 49. g5-e3 h2-g1 50. e3-f4 g1-a7 51.
a3-b4 a7-f2 52. f4-h2 f2-e1 53. h2-f4 e1-h4 54. f4-e5 h4-f2 55. e5-a1 f2-g3 56.
a1-d4 g3-f4 57. d4-b6 f4-c7 58. b6-d4 c7-g3 59. d4-b6 g3-e5 60. b6-f2 e5-h2 1/2-1/2
)";

} // namespace balancegames
