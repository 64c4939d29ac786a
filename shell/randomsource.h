#pragma once

#include <QtGlobal>

// The classic linear congruential generator of C run-times: colours picked by
// "random colour" follow the same sequence for the same seed on every platform.
class RandomSource
{
public:
    explicit RandomSource(quint32 seed = 1);

    // Seeding draws and discards one value, so the first colour does not simply
    // follow the clock's low bits.
    void seed(quint32 seed);
    void seedFromClock();

    // 0..32767
    int next();

    // The one generator the program draws from, like the run-time's own.
    static RandomSource &runtime();

private:
    quint32 m_state = 1;
};
