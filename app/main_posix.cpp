#include "../scan/scan_worker.h"

#include <iostream>

int main()
{
    const bool written = run_scan();
    std::cout << (written ? "Report written to Ravelo_Report.dat\n"
                          : "The report file \"Ravelo_Report.dat\" could not be written.\n");
    return 0;
}
