// datakit: writes the game's data files.
//   datakit build DIR      the grey-box data set under DIR/Data/, and its pack DIR/data.ch3
//   datakit pack DIR OUT   packs every file under DIR/Data/ into the data pack OUT
#include <cstdio>
#include <cstring>

#include "tools/datakit/DataSet.h"
#include "tools/datakit/PackWriter.h"

int main(int argc, char** argv)
{
    if (argc == 3 && strcmp(argv[1], "build") == 0)
        return datakit::BuildDataSet(argv[2]) ? 0 : 1;
    if (argc == 4 && strcmp(argv[1], "pack") == 0)
        return datakit::PackFolder(std::string(argv[2]) + "/Data", "Data/", argv[3]) ? 0 : 1;
    fprintf(stderr, "usage: datakit build DIR\n       datakit pack DIR OUT\n");
    return 2;
}
