#include "version.h"

#include <cstring>

namespace {

bool record_set;
OSVERSIONINFOEXA version_record;

} // namespace

BOOL GetVersionExA(LPOSVERSIONINFOA record)
{
    const DWORD size = record->dwOSVersionInfoSize;
    if (!record_set || (size != sizeof(OSVERSIONINFOA) && size != sizeof(OSVERSIONINFOEXA)))
        return FALSE;
    std::memcpy(record, &version_record, size);
    record->dwOSVersionInfoSize = size;
    return TRUE;
}

void set_version_record(const OSVERSIONINFOEXA* record)
{
    record_set = record != nullptr;
    if (record)
        version_record = *record;
}

static_assert(sizeof(OSVERSIONINFOEXA) == 156, "the extended version record is 156 bytes");
