#include "../decode_main.h"

int main(int argc, char** argv)
{
    return decode_main(argc, argv);
}
