#pragma once

#include "engine/checkers.h"

// English draughts: men move and capture forwards only, kings move and capture one square in any
// direction, capturing is compulsory, and a man crowned by a jump ends its move there.
class ECheckers : public Checkers
{
public:
    static constexpr int RULES_CODE = 21;

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
    bool enterMove(const Side& side, int from, int to);
    bool canCapture(const Side& side, int cell) const;
    bool manCapturePath(const Side& side, int cell, int step, bool& jumped);
    bool kingCapturePath(const Side& side, int cell, int step, bool& jumped);
};
