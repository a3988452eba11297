// datakit: writes the game's data files.
//   datakit build DIR   the grey-box data set under DIR/Data/
#include <cstdio>
#include <cstring>

#include "tools/datakit/DataSet.h"

int main(int argc, char** argv)
{
    if (argc == 3 && strcmp(argv[1], "build") == 0)
        return datakit::BuildDataSet(argv[2]) ? 0 : 1;
    fprintf(stderr, "usage: datakit build DIR\n");
    return 2;
}
