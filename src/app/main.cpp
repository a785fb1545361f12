// Tarlo_db: exchange of goods and sales data between the Wolnar goods catalogue and ELZAB cash registers.
#include "ui/Program.h"

int main(int argc, char** argv)
{
    return RunApplication(argc, argv);
}
