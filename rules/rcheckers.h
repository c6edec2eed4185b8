#pragma once

#include "engine/checkers.h"

// Russian draughts: men capture backwards too, kings fly along the diagonals and capture at a
// distance, a man crowned during a capture goes on as a king, and a king must go on capturing
// from whichever landing square allows it. Capturing is compulsory.
class RCheckers : public Checkers
{
public:
    static constexpr int RULES_CODE = 25;

    bool go1(int from, int to) override;
    bool go2_human(int from, int to) override;
    int type() const override { return RULES_CODE; }
    bool checkCapture1() const override;
    bool checkCapture2() const override;
    bool checkCapture1(int cell) const override;
    void kingMove2(int cell, int& best) override;
    bool manCapture2(int cell, int& best) override;
    bool kingCapture2(int cell, int step, int& best) override;
    bool manCapture1(int cell, int step, bool& jumped) override;
    bool kingCapture1(int cell, int step, bool& jumped) override;
    bool manCapture2(int cell, int step, bool& jumped) override;
    bool kingCapture2(int cell, int step, bool& jumped) override;

private:
    // Where a king's jump in one direction lands: the jumped cell and the nearest and farthest
    // landing cells. Without a jump, jumpedCell is 0.
    struct KingJump {
        int jumpedCell = 0;
        int nearest = 0;
        int farthest = 0;
    };
    KingJump findKingJump(const Side& side, int cell, int step) const;

    bool enterMove(const Side& side, int from, int to);
    bool canCapture(const Side& side, int cell) const;
    bool manCapturePath(const Side& side, int cell, int step, bool& jumped);
    bool kingCapturePath(const Side& side, int cell, int step, bool& jumped);
};
