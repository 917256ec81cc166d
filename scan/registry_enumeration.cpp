#include "registry_enumeration.h"

void enumerate_registry(HKEY, const char*, DWORD, bool)
{
}
