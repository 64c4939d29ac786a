#include "shell/randomsource.h"

#include <ctime>

RandomSource::RandomSource(quint32 seed)
    : m_state(seed)
{
}

void RandomSource::seed(quint32 seed)
{
    m_state = seed;
    next();
}

void RandomSource::seedFromClock()
{
    seed(quint32(std::time(nullptr)));
}

int RandomSource::next()
{
    m_state = m_state * 22695477u + 1u;
    return int((m_state >> 16) & 0x7FFF);
}

RandomSource &RandomSource::runtime()
{
    static RandomSource source;
    return source;
}
