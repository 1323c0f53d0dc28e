#include "score_histogram.h"

int ScoreBin(int32_t score)
{
    if (score < 0)
        return -1;
    if (score > 100)
        return kScoreBins;
    return score == 100 ? kScoreBins - 1 : score / 10;
}
