#include "directory_inventory.h"

void list_directory(const std::string&, unsigned)
{
}

void list_directory_flat(const std::string&)
{
}
