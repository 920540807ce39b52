#include "tools/mkart/art.h"

void buildSampleArt(std::vector<ArtFile>* files)
{
    (void)files;
}
