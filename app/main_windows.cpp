#include "../scan/scan_worker.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    run_scan();
    return 0;
}
