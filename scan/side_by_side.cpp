#include "side_by_side.h"

void list_side_by_side()
{
}
